#include "agent/engine/TrayIcon.h"

#include "bytes/Reader.h"

namespace engine {

namespace {

constexpr int kMaxIconSide = 256;
constexpr std::uint32_t kMinHeaderSize = 40;  // BITMAPINFOHEADER

// A DIB decoded to palette indices (top-down) plus its colour table.
struct Dib {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
    std::vector<acs::Rgb> colors;
};

struct DibHeader {
    std::uint32_t size = 0;
    std::int32_t width = 0;
    std::int32_t rawHeight = 0;  // positive: rows stored bottom-up
    int bits = 0;
    std::uint32_t compression = 0;
    std::uint32_t used = 0;  // colours in the table; 0: all 2^bits
};

std::optional<DibHeader> readHeader(std::span<const std::uint8_t> b) {
    bytes::Reader r(b);
    DibHeader h;
    h.size = r.u32();
    h.width = r.i32();
    h.rawHeight = r.i32();
    (void)r.u16();  // planes
    h.bits = r.u16();
    h.compression = r.u32();
    r.skip(12);  // image size, resolution
    h.used = r.u32();
    r.skip(4);  // important colours
    if (!r.ok() || h.size < kMinHeaderSize || h.size > b.size() || h.compression != 0)
        return std::nullopt;
    if (h.bits != 1 && h.bits != 4 && h.bits != 8)
        return std::nullopt;
    const std::int64_t height =
        h.rawHeight > 0 ? std::int64_t{h.rawHeight} : -std::int64_t{h.rawHeight};
    if (h.width <= 0 || h.width > kMaxIconSide || height <= 0 || height > kMaxIconSide)
        return std::nullopt;
    return h;
}

std::optional<Dib> readDib(std::span<const std::uint8_t> b) {
    const auto h = readHeader(b);
    if (!h)
        return std::nullopt;
    const bool bottomUp = h->rawHeight > 0;
    Dib dib;
    dib.width = h->width;
    dib.height = bottomUp ? h->rawHeight : -h->rawHeight;
    const std::uint32_t all = 1u << h->bits;
    const std::size_t colorCount = (h->used == 0 || h->used > all) ? all : h->used;
    const std::size_t stride =
        ((static_cast<std::size_t>(dib.width) * static_cast<std::size_t>(h->bits) + 31) / 32) * 4;
    const std::size_t pixels = h->size + colorCount * 4;
    if (pixels + stride * static_cast<std::size_t>(dib.height) > b.size())
        return std::nullopt;

    bytes::Reader table(b, h->size, pixels);
    for (std::size_t i = 0; i < colorCount; ++i) {
        acs::Rgb c;  // RGBQUAD: blue, green, red, reserved
        c.b = table.u8();
        c.g = table.u8();
        c.r = table.u8();
        table.skip(1);
        dib.colors.push_back(c);
    }
    dib.indices.resize(static_cast<std::size_t>(dib.width) * static_cast<std::size_t>(dib.height));
    for (int row = 0; row < dib.height; ++row) {
        const std::size_t src =
            pixels + stride * static_cast<std::size_t>(bottomUp ? dib.height - 1 - row : row);
        for (int col = 0; col < dib.width; ++col) {
            const std::size_t bit =
                static_cast<std::size_t>(col) * static_cast<std::size_t>(h->bits);
            const std::uint8_t byte = b[src + bit / 8];
            // The leftmost pixel sits in the most significant bits of each byte.
            const int shift = 8 - h->bits - static_cast<int>(bit % 8);
            dib.indices[static_cast<std::size_t>(row * dib.width + col)] =
                static_cast<std::uint8_t>((byte >> shift) & ((1 << h->bits) - 1));
        }
    }
    return dib;
}

}  // namespace

std::optional<RgbaImage> decodeTrayIcon(const acs::TrayIcon& icon) {
    const auto mask = readDib(icon.mask);
    const auto color = readDib(icon.color);
    if (!mask || !color || mask->width != color->width || mask->height != color->height) {
        return std::nullopt;
    }
    RgbaImage image;
    image.width = color->width;
    image.height = color->height;
    image.rgba.resize(color->indices.size() * 4);
    for (std::size_t i = 0; i < color->indices.size(); ++i) {
        const std::uint8_t index = color->indices[i];
        std::uint8_t* out = &image.rgba[i * 4];
        if (mask->indices[i] != 0)
            continue;  // transparent: all four bytes stay 0
        const acs::Rgb rgb = index < color->colors.size() ? color->colors[index] : acs::Rgb{};
        out[0] = rgb.r;
        out[1] = rgb.g;
        out[2] = rgb.b;
        out[3] = 255;
    }
    return image;
}

}  // namespace engine
