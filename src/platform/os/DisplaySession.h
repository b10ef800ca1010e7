#pragma once

#include <QString>

namespace platform {

// Makes Qt use the X11 platform through XWayland on a Wayland session. A Wayland client cannot
// place its own windows, so a native Wayland character would sit wherever the compositor puts
// it and could never roam. Sets QT_QPA_PLATFORM=xcb when WAYLAND_DISPLAY is set, DISPLAY is set
// and QT_QPA_PLATFORM is unset; a choice the user made is left alone. Must run before the
// QApplication is constructed; has no effect afterwards.
void preferXWayland();

// After start-up: an empty string when the character can be shown as intended, otherwise one
// English line saying why not (a native Wayland session without X). The caller decides what the
// user sees. Requires a QGuiApplication.
QString unsupportedSessionReason();

}  // namespace platform
