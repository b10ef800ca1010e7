#include "app/core/ProgramFolder.h"

namespace app {

QString programFile(const platform::Services& services, const QString& name) {
    return services.programFolder + QLatin1Char('/') + name;
}

}  // namespace app
