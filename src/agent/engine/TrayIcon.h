#pragma once

#include "agent/acs/Model.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace engine {

// A picture as four bytes per pixel: red, green, blue, alpha; rows top-down.
struct RgbaImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;
};

// Decodes the character's own tray icon from the two DIBs its file stores (a 1-bpp AND mask
// and a colour image, usually 4 bpp; bottom-up rows padded to 4 bytes; the height is not
// doubled as in .ico files). Mask bit 1 is transparent, including "invert screen" pixels,
// which a modern tray cannot show. Returns nothing for blobs that do not hold a valid
// 1/4/8-bpp uncompressed DIB of the same size in both parts; never reads outside the blobs.
std::optional<RgbaImage> decodeTrayIcon(const acs::TrayIcon& icon);

}  // namespace engine
