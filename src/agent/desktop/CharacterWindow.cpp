#include "agent/desktop/CharacterWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTransform>
#include <QWindow>

#include <cmath>
#include <vector>

namespace desktop {

namespace {

int buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return kButtonLeft;
        case Qt::RightButton:
            return kButtonRight;
        case Qt::MiddleButton:
            return kButtonMiddle;
        default:
            return 0;
    }
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= kShiftShift;
    if (modifiers & Qt::ControlModifier)
        code |= kShiftCtrl;
    if (modifiers & Qt::AltModifier)
        code |= kShiftAlt;
    return code;
}

QPoint globalPoint(const QMouseEvent* event) {
    return event->globalPosition().toPoint();
}

}  // namespace

QRegion opaqueRegion(const acs::ComposedFrame& frame) {
    // One rectangle per run of opaque pixels in a row: rows are the bands QRegion expects, so
    // setRects takes them as they are instead of merging rectangle by rectangle.
    std::vector<QRect> runs;
    const std::size_t width = frame.width;
    for (std::size_t y = 0; y < frame.height; ++y) {
        const std::uint8_t* row = frame.mask.data() + y * width;
        for (std::size_t x = 0; x < width;) {
            if (row[x] == 0) {
                ++x;
                continue;
            }
            const std::size_t start = x;
            while (x < width && row[x] != 0)
                ++x;
            runs.emplace_back(static_cast<int>(start), static_cast<int>(y),
                              static_cast<int>(x - start), 1);
        }
    }
    QRegion region;
    if (!runs.empty())
        region.setRects(runs.data(), static_cast<int>(runs.size()));
    return region;
}

CharacterWindow::CharacterWindow(int frameWidth, int frameHeight, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_frameWidth(frameWidth),
      m_frameHeight(frameHeight) {
    setObjectName(QStringLiteral("character"));
    // Showing or animating the character must never take the keyboard from the user's work.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    applyGeometry();
    winId();  // creates the native window so that its screen can be followed
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, [this] { applyGeometry(); });
    }
}

int CharacterWindow::pixelScale() const {
    return std::max(1, static_cast<int>(std::floor(devicePixelRatioF() + 1e-6)));
}

void CharacterWindow::applyGeometry() {
    const int scale = pixelScale();
    const double ratio = devicePixelRatioF();
    const double factor = scale / ratio;  // logical pixels per frame pixel
    setFixedSize(static_cast<int>(std::lround(m_frameWidth * factor)),
                 static_cast<int>(std::lround(m_frameHeight * factor)));
    QRegion shape = m_region;
    if (scale != 1 || ratio != 1.0)
        shape = QTransform::fromScale(factor, factor).map(m_region);
    // An empty QRegion would remove the mask and show the whole window; a region outside the
    // window shapes it to nothing instead.
    if (shape.isEmpty())
        shape = QRegion(-1, -1, 1, 1);
    // Most frames of an animation keep the outline; skip the round trip to the X server then.
    if (shape != mask())
        setMask(shape);
    m_appliedScale = scale;
}

void CharacterWindow::setFrame(std::shared_ptr<const acs::ComposedFrame> frame) {
    if (frame == m_frame)
        return;
    m_frame = std::move(frame);
    if (m_frame && m_frame->width > 0 && m_frame->height > 0) {
        const QImage view(m_frame->rgba.data(), m_frame->width, m_frame->height, m_frame->width * 4,
                          QImage::Format_RGBA8888);
        m_image = view.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_region = opaqueRegion(*m_frame);
    } else {
        m_image = QImage();
        m_region = QRegion();
    }
    applyGeometry();
    update();
}

void CharacterWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (m_image.isNull()) {
        painter.fillRect(rect(), Qt::transparent);
        return;
    }
    // No smooth transform: each frame pixel becomes a whole block of device pixels.
    painter.drawImage(rect(), m_image);
}

void CharacterWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_leftDown = true;
        m_dragging = false;
        m_pressGlobal = globalPoint(event);
        m_pressTopLeft = pos();
    }
    event->accept();
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_leftDown || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint offset = globalPoint(event) - m_pressGlobal;
    if (!m_dragging && offset.manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    move(m_pressTopLeft + offset);
    emit dragged(pos());
}

void CharacterWindow::mouseReleaseEvent(QMouseEvent* event) {
    const int button = buttonCode(event->button());
    const bool wasDrag = event->button() == Qt::LeftButton && m_dragging;
    if (event->button() == Qt::LeftButton) {
        m_leftDown = false;
        m_dragging = false;
    }
    // The release that completes a double click was already reported as DblClick; a drag
    // moves the character and is no click.
    const bool endsDoubleClick = m_afterDoubleClick;
    m_afterDoubleClick = false;
    if (wasDrag) {
        emit dragFinished(pos());
        return;
    }
    if (button == 0 || wasDrag || endsDoubleClick ||
        !rect().contains(event->position().toPoint())) {
        return;
    }
    emit clicked(button, shiftCode(event->modifiers()), globalPoint(event));
}

void CharacterWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    const int button = buttonCode(event->button());
    if (event->button() == Qt::LeftButton) {
        m_leftDown = true;
        m_dragging = false;
        m_pressGlobal = globalPoint(event);
        m_pressTopLeft = pos();
    }
    m_afterDoubleClick = true;
    if (button != 0)
        emit doubleClicked(button, shiftCode(event->modifiers()), globalPoint(event));
}

void CharacterWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

void CharacterWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (m_appliedScale != 0 && m_appliedScale != pixelScale())
        applyGeometry();
}

}  // namespace desktop
