// Pictures of a manifest: PNG files turned into palette indexes and into tray-icon DIBs.

#include "ManifestImages.h"

#include "Manifest.h"
#include "bytes/Colour.h"
#include "bytes/Writer.h"

#include <QColor>

#include <span>

namespace acstool {

QImage loadImage(const QString& path, const std::string& what) {
    QImage img(path);
    if (img.isNull()) {
        bad(what + ": cannot read PNG " + path.toStdString());
    }
    if (img.width() > 0xFFFF || img.height() > 0xFFFF) {
        bad(what + " is too large");
    }
    return img;
}

std::uint32_t key(QRgb c) {
    return c & 0xFFFFFFu;
}

// Builds the image's palette indexes: an indexed PNG keeps its indexes (with a given
// palette); otherwise alpha 0 becomes the transparent index and every other pixel must match
// a palette colour exactly.
acs::ImageData toIndexed(const QImage& src, bool usePngIndexes,
                         const std::map<std::uint32_t, std::uint8_t>& lookup,
                         std::uint8_t transparent, const std::string& what) {
    acs::ImageData out;
    out.width = static_cast<std::uint16_t>(src.width());
    out.height = static_cast<std::uint16_t>(src.height());
    const std::size_t stride = acs::ImageData::stride(out.width);
    out.pixels.assign(stride * out.height, transparent);
    const QImage rgba = usePngIndexes ? src : src.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < src.height(); ++y) {
        std::uint8_t* row = out.pixels.data() + std::size_t(out.height - 1 - y) * stride;
        for (int x = 0; x < src.width(); ++x) {
            if (usePngIndexes) {
                row[x] = static_cast<std::uint8_t>(src.pixelIndex(x, y));
                continue;
            }
            const QRgb c = rgba.pixel(x, y);
            if (qAlpha(c) == 0) {
                row[x] = transparent;
                continue;
            }
            const auto it = lookup.find(key(c));
            if (it == lookup.end()) {
                bad(what + ": pixel (" + std::to_string(x) + "," + std::to_string(y) +
                    ") has colour " + QColor(c).name().toStdString() +
                    ", which is not in the palette");
            }
            row[x] = it->second;
        }
    }
    return out;
}

namespace {

// The 16 standard colours of a 4-bpp tray icon.
constexpr acs::Rgb kVga[16] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF}};

// BITMAPINFOHEADER of an n x n DIB and its colour table (RGBQUADs).
void writeDibHeader(bytes::Writer& w, int n, int bits, std::span<const acs::Rgb> colours,
                    std::size_t imageSize) {
    w.u32(40);
    w.i32(n);
    w.i32(n);  // not doubled, unlike .ico files
    w.u16(1);
    w.u16(static_cast<std::uint16_t>(bits));
    w.u32(0);
    w.size32(imageSize);
    w.u32(0);
    w.u32(0);
    w.size32(colours.size());
    w.u32(0);
    for (const acs::Rgb& c : colours) {
        w.u8(c.b);
        w.u8(c.g);
        w.u8(c.r);
        w.u8(0);
    }
}

}  // namespace

// A 16x16 or 32x32 PNG as the two DIBs of a tray icon (1-bpp AND mask, 4-bpp colour image
// in the 16 standard colours, each pixel the nearest of them).
acs::TrayIcon trayIcon(const QImage& src) {
    if (!((src.width() == 16 && src.height() == 16) || (src.width() == 32 && src.height() == 32))) {
        bad("trayIcon must be 16x16 or 32x32");
    }
    const QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const int n = img.width();
    const std::size_t maskStride = ((std::size_t(n) + 31) / 32) * 4;
    const std::size_t colourStride = ((std::size_t(n) * 4 + 31) / 32) * 4;
    std::vector<std::uint8_t> mask(maskStride * std::size_t(n), 0);
    std::vector<std::uint8_t> colour(colourStride * std::size_t(n), 0);
    for (int y = 0; y < n; ++y) {
        const std::size_t row = std::size_t(n - 1 - y);  // bottom-up
        for (int x = 0; x < n; ++x) {
            const QRgb c = img.pixel(x, y);
            if (qAlpha(c) < 128) {
                mask[row * maskStride + std::size_t(x) / 8] |=
                    static_cast<std::uint8_t>(0x80 >> (x % 8));
                continue;
            }
            const acs::Rgb rgb{static_cast<std::uint8_t>(qRed(c)),
                               static_cast<std::uint8_t>(qGreen(c)),
                               static_cast<std::uint8_t>(qBlue(c))};
            const auto best = static_cast<int>(bytes::nearestColour(kVga, rgb));
            std::uint8_t& b = colour[row * colourStride + std::size_t(x) / 2];
            b |= static_cast<std::uint8_t>(x % 2 == 0 ? best << 4 : best);
        }
    }
    const acs::Rgb blackWhite[2] = {{0, 0, 0}, {255, 255, 255}};
    bytes::Writer maskDib;
    writeDibHeader(maskDib, n, 1, blackWhite, mask.size());
    maskDib.raw(mask);
    bytes::Writer colourDib;
    writeDibHeader(colourDib, n, 4, kVga, colour.size());
    colourDib.raw(colour);
    return acs::TrayIcon{maskDib.take(), colourDib.take()};
}

}  // namespace acstool
