#pragma once

#include "agent/acs/Model.h"

#include <QIcon>
#include <QImage>

namespace desktop {

// The character's own tray icon (engine::decodeTrayIcon) as an image; a null image when the
// file's icon cannot be decoded.
QImage trayIconImage(const acs::TrayIcon& icon);

// Our own icon, drawn in code, for characters whose file has none.
QIcon defaultTrayIcon();

}  // namespace desktop
