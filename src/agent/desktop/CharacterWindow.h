#pragma once

#include "agent/acs/Character.h"
#include "platform/FrameSurface.h"

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace desktop {

// Mouse buttons and modifier keys as the character's Click/DblClick events report them.
enum MouseButtonCode : int { kButtonLeft = 1, kButtonRight = 2, kButtonMiddle = 4 };
enum ShiftCode : int { kShiftShift = 1, kShiftCtrl = 2, kShiftAlt = 4 };

// The region of a frame's opaque pixels, in frame pixels. An all-transparent frame gives an
// empty region.
QRegion opaqueRegion(const acs::ComposedFrame& frame);

// The character on the desktop: a frameless, always-on-top tool window (no taskbar entry)
// whose shape is exactly the opaque pixels of the frame it shows, so clicks on transparent
// pixels reach the window below, even without a compositor. It draws frames and reports
// mouse input; what a click means is decided by its owner.
//
// On X11 each prepared frame and its shape go to the X server once (platform::FrameSurface)
// and the server shows and repaints them: a frame costs a few small requests, no image
// transfer. Elsewhere, or when the server refuses a picture, Qt paints the frames.
//
// Each frame pixel is drawn as a block of `scale` x `scale` physical pixels (nearest
// neighbour, never a blurred fraction); the shape and the drag area follow. Positions taken
// and reported are the frame's top-left corner in physical screen pixels, whatever device
// pixel ratio Qt applies to the screen.
class CharacterWindow : public QWidget {
    Q_OBJECT
public:
    // `scale` 1..4, or 0 for the screen's device pixel ratio rounded to the nearest whole
    // number (halves up), at least 1.
    CharacterWindow(int frameWidth, int frameHeight, int scale = 0, QWidget* parent = nullptr);

    // Shows `frame` (nullptr: nothing, the window is shaped to no pixel), prepared afresh.
    void setFrame(const std::shared_ptr<const acs::ComposedFrame>& frame);
    // Shows the frame known to the owner by `key`. Frames are prepared (scaled image and
    // shape) once and kept in a bounded cache; `compose` is called only for a frame not in it.
    // Showing the key already shown does nothing; a frame that looks the same as the one
    // shown is neither repainted nor reshaped.
    using Composer = std::function<std::shared_ptr<const acs::ComposedFrame>()>;
    void showFrame(std::uint64_t key, const Composer& compose);
    // Frames the display server shows by itself, each at its time (ms from now), the last one
    // staying: the owner need not wake until then. Returns how many of the first ones were
    // handed (fewer when they are large), 0 where frames cannot go ahead. A showFrame() that
    // follows goes out after them; cancelAhead() first to show at once.
    struct AheadFrame {
        int atMs = 0;
        std::uint64_t key = 0;
        Composer compose;
    };
    std::size_t showAhead(const std::vector<AheadFrame>& frames);
    // False where showAhead() cannot work (ask before working out what to hand it).
    bool canShowAhead() const { return m_surface && m_surface->canShowAhead(); }
    // Drops the frames handed to showAhead() that are not on the screen yet.
    void cancelAhead();

    // The scale in use: physical pixels per frame pixel on each axis.
    int pixelScale() const { return m_scale; }
    // The frame's size on the screen in physical pixels.
    QSize scaledFrameSize() const { return {m_frameWidth * m_scale, m_frameHeight * m_scale}; }
    // Moves the frame's top-left corner to `topLeft` in physical screen pixels.
    void moveTo(QPoint topLeft);
    // The frame's top-left corner in physical screen pixels.
    QPoint physicalPos() const;

    // The window's shape (its opaque pixels) in window coordinates; a frame without opaque
    // pixels gives a region outside the window.
    QRegion shape() const { return m_appliedShape; }

    // Paints done so far (for benchmarks and for checking that nothing is repainted).
    quint64 framesDrawn() const { return m_framesDrawn; }
    // Frames prepared so far (cache misses).
    quint64 framesPrepared() const { return m_framesPrepared; }

signals:
    // A completed press-and-release that was not a drag, or a double click; `global` is the
    // pointer position in physical screen pixels.
    void clicked(int button, int shift, QPoint global);
    void doubleClicked(int button, int shift, QPoint global);
    // The user dragged the character with the left button; the window is already there.
    // `topLeft` in physical screen pixels.
    void dragged(QPoint topLeft);
    // The left button that dragged the character was released with the window at `topLeft`.
    void dragFinished(QPoint topLeft);
    // The window manager or the session asked the window to close. The window stays; its
    // owner decides (the character hides).
    void closeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    // None where frames go straight to the display server: Qt paints nothing of this window.
    QPaintEngine* paintEngine() const override;

private:
    // A frame ready for the screen at the current scale and ratio.
    struct Prepared {
        // Scaled to physical pixels, tagged with the device pixel ratio; dropped once the
        // display server holds the picture.
        QImage image;
        QRegion shape;  // opaque pixels in window (logical) coordinates
        // The image and shape held by the display server, when frames go there directly.
        std::shared_ptr<const platform::FrameSurface::Picture> picture;
        QSize size;             // of the image, in physical pixels
        std::size_t look = 0;   // hash of the image's pixels: frames that look alike
        std::size_t bytes = 0;  // pixels and shape, here or in the server
        std::uint64_t used = 0;
    };
    std::shared_ptr<const Prepared> prepare(const acs::ComposedFrame* frame);
    // The frame known as `key`, from the cache or prepared with `compose` and kept there.
    std::shared_ptr<Prepared> cached(std::uint64_t key, const Composer& compose);
    // The window's shape for `prepared`.
    static QRegion windowShape(const Prepared& prepared);
    void present(std::shared_ptr<const Prepared> prepared);
    // The frame shown after `old`, and `shape`, the window's shape for it.
    void presentOnSurface(const Prepared* old, QRegion shape);
    void presentThroughQt(const Prepared* old, QRegion shape);
    // The surface refused a picture: Qt draws and shapes from now on.
    void leaveSurface();
    void applyGeometry();
    double ratio() const;
    QPoint toPhysical(QPointF logical) const;

    // Frames go to the display server directly when there is a surface for this window system.
    std::unique_ptr<platform::FrameSurface> m_surface;
    int m_frameWidth;
    int m_frameHeight;
    int m_requestedScale;
    int m_scale = 1;
    double m_appliedRatio = 0;
    std::shared_ptr<const acs::ComposedFrame> m_frame;  // the frame shown, to prepare it again
    std::shared_ptr<const Prepared> m_shown;
    QRegion m_appliedShape;
    std::optional<std::uint64_t> m_shownKey;
    std::unordered_map<std::uint64_t, std::shared_ptr<Prepared>> m_cache;
    std::size_t m_cacheBytes = 0;
    std::uint64_t m_clock = 0;
    quint64 m_framesDrawn = 0;
    quint64 m_framesPrepared = 0;

    // Drag state: left button down at m_pressGlobal with the window at m_pressTopLeft
    // (logical coordinates).
    bool m_leftDown = false;
    bool m_dragging = false;
    bool m_afterDoubleClick = false;  // the release that ends a double click is no click
    QPoint m_pressGlobal;
    QPoint m_pressTopLeft;
};

}  // namespace desktop
