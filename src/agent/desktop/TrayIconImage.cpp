#include "agent/desktop/TrayIconImage.h"

#include <QPainter>
#include <QPixmap>

#include "agent/engine/TrayIcon.h"

#include <cstring>

namespace desktop {

QImage trayIconImage(const acs::TrayIcon& icon) {
    const auto decoded = engine::decodeTrayIcon(icon);
    if (!decoded) {
        return {};
    }
    QImage image(decoded->width, decoded->height, QImage::Format_RGBA8888);
    for (int y = 0; y < decoded->height; ++y) {
        const std::size_t row =
            static_cast<std::size_t>(y) * static_cast<std::size_t>(decoded->width) * 4;
        std::memcpy(image.scanLine(y), decoded->rgba.data() + row,
                    static_cast<std::size_t>(decoded->width) * 4);
    }
    return image.convertToFormat(QImage::Format_ARGB32);
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
