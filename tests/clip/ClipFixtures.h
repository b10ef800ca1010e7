#pragma once

#include "clip/Writer.h"

#include <cstdint>
#include <vector>

namespace clip::test {

// A palette whose entry i is a distinct colour; entry 0 is magenta, the usual key.
inline std::vector<Rgb> distinctPalette(std::size_t n) {
    std::vector<Rgb> p(n);
    for (std::size_t i = 0; i < n; ++i)
        p[i] = Rgb{static_cast<std::uint8_t>(i * 7 + 1), static_cast<std::uint8_t>(i * 3 + 2),
                   static_cast<std::uint8_t>(255 - i)};
    if (n > 0)
        p[0] = Rgb{255, 0, 255};
    return p;
}

inline std::uint32_t argbOf(Rgb c) {
    return 0xFF000000U | (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
}

// 8 x 4 pixels, 4 frames at 20 fps: a background of index 0 (magenta, the key), a pixel
// walking along the top row, and frame 2 repeating frame 1 (written as an empty chunk).
inline Rle8Movie smallMovie() {
    Rle8Movie m{8, 4, 50000, distinctPalette(16), {}};
    for (int f = 0; f < 4; ++f) {
        std::vector<std::uint8_t> img(32, 0);
        img[8 * 3] = 5;  // bottom-left stays put
        img[static_cast<std::size_t>(f == 2 ? 2 : f + 1)] = 3;
        m.frames.push_back(img);
    }
    return m;
}

// A layout with the given RLE8 chunk bodies as "00dc" frames of a 6 x 3 clip.
inline AviLayout rleLayout(std::vector<std::vector<std::uint8_t>> frames) {
    AviLayout l;
    l.width = 6;
    l.height = 3;
    l.palette = distinctPalette(16);
    for (auto& f : frames)
        l.movi.push_back({chunkId(0, "dc"), std::move(f)});
    return l;
}

}  // namespace clip::test
