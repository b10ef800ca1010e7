#pragma once

#include <QString>

namespace platform {

// Start at login, following the XDG autostart convention: a desktop entry named
// porukane.desktop in `$XDG_CONFIG_HOME/autostart` (~/.config/autostart).
class Autostart {
public:
    // `configHome` is the XDG config home; `program` the absolute path of the executable the
    // entry starts.
    Autostart(QString configHome, QString program);

    // The entry's path.
    QString entryPath() const;
    // True when the entry exists and is not disabled with Hidden=true.
    bool enabled() const;
    // Writes (replacing any older entry) or removes the entry. Returns false when the file
    // could not be written or removed.
    bool setEnabled(bool on);

    // The entry's text for `program`.
    static QString entryText(const QString& program);
    // The XDG config home of this process.
    static QString defaultConfigHome();

private:
    QString m_configHome;
    QString m_program;
};

}  // namespace platform
