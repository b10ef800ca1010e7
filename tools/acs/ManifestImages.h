#pragma once

#include "agent/acs/Model.h"

#include <QImage>

#include <cstdint>
#include <map>
#include <string>

namespace acstool {

// A PNG of at most 65535 x 65535 pixels; a ManifestError otherwise.
QImage loadImage(const QString& path, const std::string& what);

// The colour of a pixel without its alpha, as palette lookups key it.
std::uint32_t key(QRgb c);

// Builds the image's palette indexes: an indexed PNG keeps its indexes (with a given
// palette); otherwise alpha 0 becomes the transparent index and every other pixel must match
// a palette colour exactly.
acs::ImageData toIndexed(const QImage& src, bool usePngIndexes,
                         const std::map<std::uint32_t, std::uint8_t>& lookup,
                         std::uint8_t transparent, const std::string& what);

// A 16x16 or 32x32 PNG as the two DIBs of a tray icon (1-bpp AND mask, 4-bpp colour image
// in the 16 standard colours, each pixel the nearest of them).
acs::TrayIcon trayIcon(const QImage& src);

}  // namespace acstool
