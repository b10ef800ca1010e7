#include "agent/desktop/CharacterWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTransform>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace desktop {

namespace {

constexpr int kMaxScale = 4;
// Prepared frames kept per window: a few hundred frames of a mid-sized character.
constexpr std::size_t kCacheBytes = 12u * 1024u * 1024u;

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

CharacterWindow::CharacterWindow(int frameWidth, int frameHeight, int scale, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_frameWidth(frameWidth),
      m_frameHeight(frameHeight),
      m_requestedScale(scale >= 1 && scale <= kMaxScale ? scale : 0) {
    setObjectName(QStringLiteral("character"));
    // Showing or animating the character must never take the keyboard from the user's work.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    winId();  // creates the native window, to be shaped and to follow its screen
    if (QWindow* window = windowHandle()) {
        m_surface = platform::makeNativeFrameSurface(*window);
        // The server shows the frames by itself: Qt's backing store would only add a full
        // image transfer and a round trip to every frame.
        if (m_surface)
            setAttribute(Qt::WA_PaintOnScreen);
        connect(window, &QWindow::screenChanged, this, [this] { applyGeometry(); });
    }
    applyGeometry();
}

double CharacterWindow::ratio() const {
    const double r = devicePixelRatioF();
    return r > 0 ? r : 1.0;
}

QPoint CharacterWindow::toPhysical(QPointF logical) const {
    const double r = ratio();
    return {static_cast<int>(std::lround(logical.x() * r)),
            static_cast<int>(std::lround(logical.y() * r))};
}

void CharacterWindow::moveTo(QPoint topLeft) {
    const double r = ratio();
    move(static_cast<int>(std::lround(topLeft.x() / r)),
         static_cast<int>(std::lround(topLeft.y() / r)));
}

QPoint CharacterWindow::physicalPos() const {
    return toPhysical(QPointF(pos()));
}

void CharacterWindow::applyGeometry() {
    const double r = ratio();
    const int scale = m_requestedScale > 0
                          ? m_requestedScale
                          : std::clamp(static_cast<int>(std::floor(r + 0.5)), 1, kMaxScale);
    if (scale == m_scale && r == m_appliedRatio)
        return;
    m_scale = scale;
    m_appliedRatio = r;
    setFixedSize(static_cast<int>(std::lround(m_frameWidth * scale / r)),
                 static_cast<int>(std::lround(m_frameHeight * scale / r)));
    // Prepared frames are for the old scale and ratio.
    cancelAhead();
    m_cache.clear();
    m_cacheBytes = 0;
    m_shown.reset();
    const std::optional<std::uint64_t> key = m_shownKey;
    m_shownKey.reset();
    if (key) {
        const auto frame = m_frame;
        showFrame(*key, [frame] { return frame; });
    } else {
        present(prepare(m_frame.get()));
    }
}

std::shared_ptr<const CharacterWindow::Prepared> CharacterWindow::prepare(
    const acs::ComposedFrame* frame) {
    auto prepared = std::make_shared<Prepared>();
    if (frame && frame->width > 0 && frame->height > 0) {
        const QImage view(frame->rgba.data(), frame->width, frame->height, frame->width * 4,
                          QImage::Format_RGBA8888);
        prepared->image = view.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (m_scale != 1) {
            // No smooth transform: each frame pixel becomes a whole block of pixels.
            prepared->image =
                prepared->image.scaled(frame->width * m_scale, frame->height * m_scale,
                                       Qt::IgnoreAspectRatio, Qt::FastTransformation);
        }
        prepared->image.setDevicePixelRatio(m_appliedRatio);
        const QRegion opaque = opaqueRegion(*frame);
        const double factor = m_scale / m_appliedRatio;  // window pixels per frame pixel
        prepared->shape =
            factor != 1.0 ? QTransform::fromScale(factor, factor).map(opaque) : opaque;
        prepared->size = prepared->image.size();
        prepared->bytes = static_cast<std::size_t>(prepared->image.sizeInBytes());
        if (m_surface) {
            const QRegion physical =
                m_scale != 1 ? QTransform::fromScale(m_scale, m_scale).map(opaque) : opaque;
            prepared->picture = m_surface->upload(prepared->image, physical);
            if (prepared->picture) {
                prepared->look = std::hash<std::string_view>{}(
                    std::string_view(reinterpret_cast<const char*>(prepared->image.constBits()),
                                     static_cast<std::size_t>(prepared->image.sizeInBytes())));
                prepared->image = QImage();  // the server has it
            } else {
                leaveSurface();
            }
        }
    }
    prepared->bytes += static_cast<std::size_t>(prepared->shape.rectCount()) * sizeof(QRect) + 64;
    return prepared;
}

void CharacterWindow::setFrame(const std::shared_ptr<const acs::ComposedFrame>& frame) {
    m_frame = frame;
    m_shownKey.reset();
    present(prepare(frame.get()));
}

std::shared_ptr<CharacterWindow::Prepared> CharacterWindow::cached(std::uint64_t key,
                                                                   const Composer& compose) {
    std::shared_ptr<Prepared> prepared;
    if (auto found = m_cache.find(key); found != m_cache.end()) {
        prepared = found->second;
        m_frame.reset();  // made again from the owner's frames should the scale change
    } else {
        m_frame = compose();
        prepared = std::const_pointer_cast<Prepared>(prepare(m_frame.get()));
        ++m_framesPrepared;
        // Least recently shown frames go first; the new one stays even when it alone is over
        // the budget.
        while (m_cacheBytes + prepared->bytes > kCacheBytes && !m_cache.empty()) {
            auto oldest = std::min_element(m_cache.begin(), m_cache.end(), [](auto& a, auto& b) {
                return a.second->used < b.second->used;
            });
            m_cacheBytes -= oldest->second->bytes;
            m_cache.erase(oldest);
        }
        m_cache.emplace(key, prepared);
        m_cacheBytes += prepared->bytes;
    }
    prepared->used = ++m_clock;
    return prepared;
}

void CharacterWindow::showFrame(std::uint64_t key, const Composer& compose) {
    if (m_shownKey == key)
        return;
    std::shared_ptr<Prepared> prepared = cached(key, compose);
    m_shownKey = key;
    present(std::move(prepared));
}

std::size_t CharacterWindow::showAhead(const std::vector<AheadFrame>& frames) {
    if (!m_surface || frames.empty())
        return 0;
    std::vector<platform::FrameSurface::Step> steps;
    steps.reserve(frames.size());
    std::shared_ptr<Prepared> last;
    std::size_t bytes = 0;
    // The server keeps the pictures of a run until it is over, cached here or not: a run of
    // large frames stops at half the cache's budget.
    for (const AheadFrame& frame : frames) {
        std::shared_ptr<Prepared> prepared = cached(frame.key, frame.compose);
        if (!m_surface)
            return 0;  // the server refused a picture: Qt draws from now on
        bytes += prepared->bytes;
        if (!steps.empty() && bytes > kCacheBytes / 2)
            break;
        steps.push_back({frame.atMs, prepared->picture});
        last = std::move(prepared);
    }
    if (!m_surface->showAhead(steps))
        return 0;
    m_framesDrawn += steps.size();
    m_shownKey = frames[steps.size() - 1].key;
    m_shown = std::move(last);
    m_appliedShape = windowShape(*m_shown);
    return steps.size();
}

void CharacterWindow::cancelAhead() {
    if (!m_surface)
        return;
    m_surface->cancelAhead();
    // Which of the frames handed is on the screen depends on the time: the next one is sent.
    m_shownKey.reset();
    m_shown.reset();
}

QRegion CharacterWindow::windowShape(const Prepared& prepared) {
    // An empty QRegion would remove the mask and show the whole window; a region outside the
    // window shapes it to nothing instead.
    return prepared.shape.isEmpty() ? QRegion(-1, -1, 1, 1) : prepared.shape;
}

void CharacterWindow::present(std::shared_ptr<const Prepared> prepared) {
    if (prepared == m_shown)
        return;
    const std::shared_ptr<const Prepared> old = std::exchange(m_shown, std::move(prepared));
    if (m_surface)
        presentOnSurface(old.get(), windowShape(*m_shown));
    else
        presentThroughQt(old.get(), windowShape(*m_shown));
}

void CharacterWindow::presentOnSurface(const Prepared* old, QRegion shape) {
    m_appliedShape = std::move(shape);
    // A frame that looks like the one on the screen costs nothing.
    if (old && old->picture && m_shown->picture && old->size == m_shown->size &&
        old->look == m_shown->look && old->shape == m_shown->shape)
        return;
    ++m_framesDrawn;
    m_surface->show(m_shown->picture.get());
}

void CharacterWindow::presentThroughQt(const Prepared* old, QRegion shape) {
    // The shape goes to the native window, not to the widget: a widget mask would split every
    // repaint into one image transfer per rectangle of the outline. Most frames of an
    // animation keep the outline; skip the round trip to the X server then.
    if (shape != m_appliedShape) {
        m_appliedShape = shape;
        if (QWindow* window = windowHandle())
            window->setMask(shape);
    }
    // Repaint only the rows that differ from what is on the screen.
    const QImage& now = m_shown->image;
    if (!old || old->image.size() != now.size() || now.isNull()) {
        update();
        return;
    }
    const QImage& before = old->image;
    const auto rowBytes = static_cast<std::size_t>(now.width()) * 4;
    int top = 0;
    int bottom = now.height();
    while (top < bottom &&
           std::memcmp(now.constScanLine(top), before.constScanLine(top), rowBytes) == 0)
        ++top;
    if (top == bottom)
        return;  // the same picture
    while (bottom > top && std::memcmp(now.constScanLine(bottom - 1),
                                       before.constScanLine(bottom - 1), rowBytes) == 0)
        --bottom;
    const double toWindow = 1.0 / m_appliedRatio;
    const int y0 = static_cast<int>(std::floor(top * toWindow));
    const int y1 = static_cast<int>(std::ceil(bottom * toWindow));
    update(QRect(0, y0, width(), y1 - y0));
}

void CharacterWindow::leaveSurface() {
    cancelAhead();
    m_surface.reset();  // takes its child window, and with it the pictures, off the screen
    // Frames prepared for the server kept no image: they are made again when shown.
    m_cache.clear();
    m_cacheBytes = 0;
    m_shownKey.reset();
    setAttribute(Qt::WA_PaintOnScreen, false);
    m_appliedShape = QRegion();  // Qt has not been told any shape yet
    update();
}

QPaintEngine* CharacterWindow::paintEngine() const {
    return m_surface ? nullptr : QWidget::paintEngine();
}

void CharacterWindow::paintEvent(QPaintEvent* event) {
    if (m_surface)
        return;  // the server paints the picture itself
    ++m_framesDrawn;
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (!m_shown || m_shown->image.isNull()) {
        painter.fillRect(event->rect(), Qt::transparent);
        return;
    }
    // The image is already at the device's pixels: a plain copy, no scaling.
    painter.drawImage(QPoint(0, 0), m_shown->image);
}

void CharacterWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_leftDown = true;
        m_dragging = false;
        m_pressGlobal = event->globalPosition().toPoint();
        m_pressTopLeft = pos();
    }
    event->accept();
}

void CharacterWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_leftDown || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint offset = event->globalPosition().toPoint() - m_pressGlobal;
    if (!m_dragging && offset.manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    move(m_pressTopLeft + offset);
    emit dragged(physicalPos());
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
    emit clicked(button, shiftCode(event->modifiers()), toPhysical(event->globalPosition()));
}

void CharacterWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    const int button = buttonCode(event->button());
    if (event->button() == Qt::LeftButton) {
        m_leftDown = true;
        m_dragging = false;
        m_pressGlobal = event->globalPosition().toPoint();
        m_pressTopLeft = pos();
    }
    m_afterDoubleClick = true;
    if (button != 0)
        emit doubleClicked(button, shiftCode(event->modifiers()),
                           toPhysical(event->globalPosition()));
}

void CharacterWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit closeRequested();
}

void CharacterWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (ratio() != m_appliedRatio)
        applyGeometry();
}

}  // namespace desktop
