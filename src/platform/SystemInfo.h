#pragma once

#include <QString>

namespace platform {

// Finds the system-information program of this system. Returns its full path, or an empty
// string when there is none.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual QString findProgram() = 0;
};

}  // namespace platform
