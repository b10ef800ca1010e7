#include "app/core/ProgramIcon.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

namespace app {

QPixmap programIconPixmap(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 32.0, size / 32.0);
    // A speech bubble with two eyes: a companion that talks back.
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(2, 3, 28, 20), 8, 8);
    QPainterPath tail;
    tail.moveTo(9, 21);
    tail.lineTo(7, 29);
    tail.lineTo(16, 22);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    painter.setPen(QPen(QColor(40, 70, 140), 1.6));
    painter.setBrush(QColor(120, 190, 255));
    painter.drawPath(bubble);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(9, 8, 6, 8));
    painter.drawEllipse(QRectF(18, 8, 6, 8));
    painter.setBrush(QColor(30, 30, 60));
    painter.drawEllipse(QRectF(11, 11, 3, 4));
    painter.drawEllipse(QRectF(20, 11, 3, 4));
    return pixmap;
}

QIcon programIcon() {
    // The icons drawn from our character at build time, when the program carries them.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString file = QStringLiteral(":/porukane/icons/%1.png").arg(size);
        if (QFile::exists(file)) {
            icon.addFile(file, QSize(size, size));
        }
    }
    if (!icon.isNull()) {
        return icon;
    }
    icon.addPixmap(programIconPixmap(16));
    icon.addPixmap(programIconPixmap(32));
    icon.addPixmap(programIconPixmap(64));
    return icon;
}

}  // namespace app
