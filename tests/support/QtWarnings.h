#pragma once

// The Qt test main fails the running test on any Qt warning it was not told to expect. A test
// that provokes a warning on purpose says so for as long as the object lives; a warning
// starting with `prefix` is then allowed (and counted).

#include <QString>

namespace testsupport {

// True (and counted) when a live ExpectQtWarning allows `text`.
bool expectedQtWarning(const QString& text);

class ExpectQtWarning {
public:
    explicit ExpectQtWarning(QString prefix);
    ~ExpectQtWarning();
    ExpectQtWarning(const ExpectQtWarning&) = delete;
    ExpectQtWarning& operator=(const ExpectQtWarning&) = delete;

    // How many matching warnings arrived so far.
    int count() const { return m_count; }

private:
    friend bool expectedQtWarning(const QString& text);
    QString m_prefix;
    int m_count = 0;
};

}  // namespace testsupport
