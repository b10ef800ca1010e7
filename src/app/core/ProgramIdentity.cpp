#include "app/core/ProgramIdentity.h"

#include "app/core/Texts.h"

namespace app {

QString applicationTitle() {
    return QString::fromUtf16(texts::core::kApplicationTitle);
}

QString versionText() {
    return QString::fromUtf16(texts::core::kVersionPrefix) + QStringLiteral("%1.%2.%3")
                                                                 .arg(PORUKANE_VERSION_MAJOR)
                                                                 .arg(PORUKANE_VERSION_MINOR)
                                                                 .arg(PORUKANE_VERSION_PATCH);
}

}  // namespace app
