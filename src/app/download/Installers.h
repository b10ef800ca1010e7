#pragma once

#include "platform/Services.h"

namespace app {

// Removes the downloaded installers 1.exe to 5.exe, in any case, from the program folder;
// every failure is ignored.
void DeleteInstallers(const platform::Services& services);

}  // namespace app
