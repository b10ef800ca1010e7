#pragma once

#include <QString>

#include "platform/Services.h"

namespace app {

// programFolder + "/" + name, or the existing file in the program folder whose name differs
// from `name` only in case.
QString programFile(const platform::Services& services, const QString& name);

}  // namespace app
