#pragma once

#include <QString>

#include "platform/Services.h"

namespace app {

// programFolder + "/" + name.
QString programFile(const platform::Services& services, const QString& name);

}  // namespace app
