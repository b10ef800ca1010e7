#pragma once

#include "agent/acs/Character.h"

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QWidget>

#include <memory>

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
// Positions are the frame's top-left corner in global desktop pixels. On a screen with a
// device pixel ratio above 1 each frame pixel becomes an integer block of device pixels
// (nearest neighbour), never a blurred fraction.
class CharacterWindow : public QWidget {
    Q_OBJECT
public:
    CharacterWindow(int frameWidth, int frameHeight, QWidget* parent = nullptr);

    // Shows `frame` (nullptr: nothing, the window is shaped to no pixel). Repaints and
    // reshapes only when the frame differs from the one shown.
    void setFrame(std::shared_ptr<const acs::ComposedFrame> frame);
    const acs::ComposedFrame* frame() const { return m_frame.get(); }

    // Integer scale of frame pixels to device pixels for the current screen (1 at ratio 1).
    int pixelScale() const;

signals:
    // A completed press-and-release that was not a drag, or a double click; `global` is the
    // pointer position in global desktop pixels.
    void clicked(int button, int shift, QPoint global);
    void doubleClicked(int button, int shift, QPoint global);
    // The user dragged the character with the left button; the window is already there.
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

private:
    void applyGeometry();

    int m_frameWidth;
    int m_frameHeight;
    std::shared_ptr<const acs::ComposedFrame> m_frame;
    QImage m_image;
    QRegion m_region;  // opaque pixels of m_frame in frame pixels
    int m_appliedScale = 0;

    // Drag state: left button down at m_pressGlobal with the window at m_pressTopLeft.
    bool m_leftDown = false;
    bool m_dragging = false;
    bool m_afterDoubleClick = false;  // the release that ends a double click is no click
    QPoint m_pressGlobal;
    QPoint m_pressTopLeft;
};

}  // namespace desktop
