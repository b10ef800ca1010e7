#pragma once

// Tray icons built the way a character file stores them, for the decoder and its Qt wrapper.

#include "agent/acs/Model.h"

#include <cstdint>
#include <vector>

namespace traytest {

using Bytes = std::vector<std::uint8_t>;

inline void put(Bytes& b, std::uint32_t v, int n) {
    for (int i = 0; i < n; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A 16x16 DIB as the character file stores it: header, colour table, bottom-up rows.
// `index(col, row)` gives the palette index at top-down coordinates.
template <typename F>
inline Bytes dib(int bits, const std::vector<std::uint32_t>& bgrColors, F index) {
    Bytes b;
    // Header size 40, 16x16 (the height not doubled as in .ico files), 1 plane, `bits`.
    for (int v : {40, 0, 16, 0, 16, 0, 1, bits})
        put(b, static_cast<std::uint32_t>(v), 2);
    b.resize(b.size() + 24, 0);
    for (std::uint32_t c : bgrColors)
        put(b, c, 4);
    const std::size_t stride = static_cast<std::size_t>((16 * bits + 31) / 32) * 4;
    for (int row = 15; row >= 0; --row) {
        b.resize(b.size() + stride, 0);
        for (int col = 0, bit = 0; col < 16; ++col, bit += bits)
            b[b.size() - stride + static_cast<std::size_t>(bit / 8)] |=
                static_cast<std::uint8_t>(index(col, row) << (8 - bits - bit % 8));
    }
    return b;
}

inline acs::TrayIcon sampleIcon() {
    // RGBQUAD bytes B,G,R,0 read little-endian: 1 red, 2 green.
    std::vector<std::uint32_t> colors = {0, 0xFF0000, 0x00FF00};
    colors.resize(16, 0);
    acs::TrayIcon icon;
    // Transparent: the top-left pixel, and the top-right one whose colour is not black (an
    // "invert the screen" pixel in Windows).
    icon.mask = dib(1, {0, 0xFFFFFF},
                    [](int col, int row) { return row == 0 && (col == 0 || col == 15) ? 1 : 0; });
    icon.color = dib(4, colors, [](int, int row) { return row == 15 ? 2 : 1; });
    return icon;
}

}  // namespace traytest
