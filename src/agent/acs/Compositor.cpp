#include "agent/acs/Compositor.h"

#include <algorithm>

namespace acs {

ComposedFrame composeLayers(std::uint16_t width, std::uint16_t height, std::span<const Rgb> palette,
                            std::uint8_t transparentIndex, std::span<const Layer> layers) {
    ComposedFrame out;
    out.width = width;
    out.height = height;
    const std::size_t pixels = std::size_t{width} * height;
    out.rgba.assign(pixels * 4, 0);
    out.mask.assign(pixels, 0);
    paintLayers(out, palette, transparentIndex, layers);
    return out;
}

void paintLayers(ComposedFrame& out, std::span<const Rgb> palette, std::uint8_t transparentIndex,
                 std::span<const Layer> layers) {
    const std::uint16_t width = out.width;
    const std::uint16_t height = out.height;

    // Colour lookup per index; indexes beyond the palette and the transparent index are
    // marked so that they leave the canvas as it is.
    std::uint32_t colour[256];
    bool opaque[256];
    for (std::size_t i = 0; i < 256; ++i) {
        opaque[i] = i < palette.size() && i != transparentIndex;
        colour[i] = 0;
        if (opaque[i]) {
            const Rgb& c = palette[i];
            colour[i] = std::uint32_t{c.r} | (std::uint32_t{c.g} << 8) |
                        (std::uint32_t{c.b} << 16) | 0xFF000000u;
        }
    }

    for (auto it = layers.rbegin(); it != layers.rend(); ++it) {
        const ImageData* img = it->image;
        if (!img || img->width == 0 || img->height == 0 ||
            img->pixels.size() < ImageData::stride(img->width) * img->height) {
            continue;
        }
        // Clip the image rectangle to the canvas; never move it.
        const long x0 = std::max<long>(0, it->x);
        const long y0 = std::max<long>(0, it->y);
        const long x1 = std::min<long>(width, long{it->x} + img->width);
        const long y1 = std::min<long>(height, long{it->y} + img->height);
        if (x0 >= x1 || y0 >= y1) {
            continue;
        }
        const std::size_t stride = ImageData::stride(img->width);
        for (long y = y0; y < y1; ++y) {
            const auto row = static_cast<std::size_t>(y - it->y);
            const std::uint8_t* src =
                img->pixels.data() + (std::size_t{img->height} - 1 - row) * stride;
            std::uint8_t* dst = out.rgba.data() + (static_cast<std::size_t>(y) * width) * 4;
            std::uint8_t* mask = out.mask.data() + static_cast<std::size_t>(y) * width;
            for (long x = x0; x < x1; ++x) {
                const std::uint8_t index = src[x - it->x];
                if (!opaque[index]) {
                    continue;
                }
                const std::uint32_t c = colour[index];
                std::uint8_t* px = dst + static_cast<std::size_t>(x) * 4;
                px[0] = static_cast<std::uint8_t>(c);
                px[1] = static_cast<std::uint8_t>(c >> 8);
                px[2] = static_cast<std::uint8_t>(c >> 16);
                px[3] = 0xFF;
                mask[x] = 1;
            }
        }
    }
}

}  // namespace acs
