#pragma once

// The Qt test main fails the running test on any Qt warning it was not told to expect. A test
// that provokes a warning on purpose says so for as long as the object lives; a warning
// starting with `prefix` is then allowed.

#include <QString>

namespace testsupport {

// True when a live ExpectQtWarning allows `text`.
bool expectedQtWarning(const QString& text);

class ExpectQtWarning {
public:
    explicit ExpectQtWarning(QString prefix);
    ~ExpectQtWarning();
    ExpectQtWarning(const ExpectQtWarning&) = delete;
    ExpectQtWarning& operator=(const ExpectQtWarning&) = delete;

private:
    friend bool expectedQtWarning(const QString& text);
    QString m_prefix;
};

}  // namespace testsupport
