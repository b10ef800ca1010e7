#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace platform {

// Where the system-information program can be found. On Windows the About box looks it up in
// the registry; elsewhere the system offers the programs users there expect.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;

    // True where a Windows registry exists.
    virtual bool hasRegistry() const = 0;
    // Reads one registry value for reading only. Returns false when the key cannot be opened,
    // the value is missing or its data is longer than `maxBytes`; otherwise fills the value's
    // type code (1 string, 4 32-bit number, ...) and its raw data as stored.
    virtual bool queryRegistryValue(std::uint32_t root, const QString& keyName,
                                    const QString& valueName, std::uint32_t* type, QByteArray* data,
                                    int maxBytes) = 0;
    // Full path of the first installed system-information program, or empty when none is.
    virtual QString findProgram() = 0;
    // True when `path` names an existing normal file.
    virtual bool isFile(const QString& path) = 0;
};

}  // namespace platform
