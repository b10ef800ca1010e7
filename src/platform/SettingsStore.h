#pragma once

#include <QString>

namespace platform {

// Per-user store of text values by application, section and key. Values are kept as the exact
// text written; reading an absent key returns the default unchanged. Writes reach persistent
// storage before the next read by another process (the program may end right after a write).
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString read(const QString& application, const QString& section, const QString& key,
                         const QString& defaultValue) = 0;
    virtual void write(const QString& application, const QString& section, const QString& key,
                       const QString& value) = 0;
};

}  // namespace platform
