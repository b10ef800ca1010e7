#include "platform/os/DisplaySession.h"

#include <QGuiApplication>
#include <QtGlobal>

namespace platform {

void preferXWayland() {
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
}

QString unsupportedSessionReason() {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        return QStringLiteral(
            "running as a native Wayland client (no X display): the character window cannot be "
            "placed; start the program with DISPLAY set so that it runs through XWayland");
    }
    return {};
}

}  // namespace platform
