#pragma once

#include "agent/acs/Model.h"

#include <QIcon>
#include <QImage>

namespace desktop {

// Builds the character's own tray icon from the two DIBs its file stores (a 1-bpp AND mask
// and a colour image, usually 4 bpp; bottom-up rows padded to 4 bytes; the height is not
// doubled as in .ico files). Mask bit 1 is transparent, including "invert screen" pixels,
// which a modern tray cannot show. Returns a null image for blobs that do not hold a valid
// 1/4/8-bpp DIB of the same size in both parts; never reads outside the blobs.
QImage trayIconImage(const acs::TrayIcon& icon);

// Our own icon, drawn in code, for characters whose file has none.
QIcon defaultTrayIcon();

}  // namespace desktop
