#include "agent/desktop/TrayIconImage.h"

#include <QPainter>
#include <QPixmap>

#include <cstdint>
#include <optional>
#include <vector>

namespace desktop {

namespace {

constexpr int kMaxIconSide = 256;

// A DIB decoded to palette indices (top-down) plus its colour table.
struct Dib {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> indices;
    std::vector<QRgb> colors;
};

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | (static_cast<std::uint32_t>(b[at + 1]) << 8) |
           (static_cast<std::uint32_t>(b[at + 2]) << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::optional<Dib> readDib(const std::vector<std::uint8_t>& b) {
    if (b.size() < 40)
        return std::nullopt;
    const std::uint32_t headerSize = le32(b, 0);
    const auto width = static_cast<std::int32_t>(le32(b, 4));
    const auto rawHeight = static_cast<std::int32_t>(le32(b, 8));
    const int bits = b[14] | (b[15] << 8);
    const std::uint32_t compression = le32(b, 16);
    const std::uint32_t used = le32(b, 32);
    if (headerSize < 40 || headerSize > b.size() || compression != 0)
        return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8)
        return std::nullopt;
    const bool bottomUp = rawHeight > 0;
    const int height = bottomUp ? rawHeight : -rawHeight;
    if (width <= 0 || width > kMaxIconSide || height <= 0 || height > kMaxIconSide) {
        return std::nullopt;
    }
    const std::size_t colorCount = (used == 0 || used > (1u << bits)) ? (1u << bits) : used;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4;
    const std::size_t pixels = headerSize + colorCount * 4;
    if (pixels + stride * static_cast<std::size_t>(height) > b.size())
        return std::nullopt;

    Dib dib;
    dib.width = width;
    dib.height = height;
    for (std::size_t i = 0; i < colorCount; ++i) {
        const std::size_t at = headerSize + i * 4;  // RGBQUAD: blue, green, red, reserved
        dib.colors.push_back(qRgb(b[at + 2], b[at + 1], b[at]));
    }
    dib.indices.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const std::size_t src =
            pixels + stride * static_cast<std::size_t>(bottomUp ? height - 1 - row : row);
        for (int col = 0; col < width; ++col) {
            const std::size_t bit = static_cast<std::size_t>(col) * static_cast<std::size_t>(bits);
            const std::uint8_t byte = b[src + bit / 8];
            // The leftmost pixel sits in the most significant bits of each byte.
            const int shift = 8 - bits - static_cast<int>(bit % 8);
            dib.indices[static_cast<std::size_t>(row * width + col)] =
                static_cast<std::uint8_t>((byte >> shift) & ((1 << bits) - 1));
        }
    }
    return dib;
}

}  // namespace

QImage trayIconImage(const acs::TrayIcon& icon) {
    const auto mask = readDib(icon.mask);
    const auto color = readDib(icon.color);
    if (!mask || !color || mask->width != color->width || mask->height != color->height) {
        return {};
    }
    QImage image(color->width, color->height, QImage::Format_ARGB32);
    for (int y = 0; y < color->height; ++y) {
        for (int x = 0; x < color->width; ++x) {
            const auto i = static_cast<std::size_t>(y * color->width + x);
            const std::uint8_t index = color->indices[i];
            const bool transparent = mask->indices[i] != 0;
            const QRgb rgb = index < color->colors.size() ? color->colors[index] : qRgb(0, 0, 0);
            image.setPixel(x, y, transparent ? qRgba(0, 0, 0, 0) : rgb);
        }
    }
    return image;
}

QIcon defaultTrayIcon() {
    QIcon icon;
    for (int side : {16, 32}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(side / 16.0, side / 16.0);
        // A round face with two eyes: recognisable as "the character" at tray size.
        p.setPen(QPen(QColor(0x80, 0x40, 0x20), 1.0));
        p.setBrush(QColor(0xff, 0xc8, 0x60));
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x30, 0x20, 0x10));
        p.drawEllipse(QRectF(5, 5.5, 2, 2.5));
        p.drawEllipse(QRectF(9, 5.5, 2, 2.5));
        p.setPen(QPen(QColor(0x30, 0x20, 0x10), 1.0));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(5, 7, 6, 4), 200 * 16, 140 * 16);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace desktop
