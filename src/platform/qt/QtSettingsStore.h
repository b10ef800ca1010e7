#pragma once

#include "platform/SettingsStore.h"

namespace platform {

// On Windows the per-user registry under "Software\VB and VBA Program Settings\<application>";
// elsewhere one INI file per application in $XDG_CONFIG_HOME/porukane/ (~/.config when the
// variable is unset), with one INI section per section.
class QtSettingsStore final : public SettingsStore {
public:
    QString read(const QString& application, const QString& section, const QString& key,
                 const QString& defaultValue) override;
    void write(const QString& application, const QString& section, const QString& key,
               const QString& value) override;

    // The INI file that holds an application's settings (not used on Windows).
    static QString iniPath(const QString& application);
};

}  // namespace platform
