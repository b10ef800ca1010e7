#pragma once

#include <QImage>
#include <QRegion>

#include <memory>
#include <vector>

class QWindow;

namespace platform {

// Shows pictures on a shaped native window without the toolkit's backing store: each picture
// and its shape are handed to the display server once and stay there, so showing a picture
// again costs a few small requests, no pixel transfer and no round trip.
class FrameSurface {
public:
    // A picture held by the display server; released with the last reference.
    class Picture {
    public:
        virtual ~Picture() = default;
    };

    virtual ~FrameSurface() = default;
    // Hands `image` (premultiplied ARGB) and `shape` (the pixels to show), both in the
    // window's physical pixels, to the server; nullptr when the server refused them (the
    // caller then draws through the toolkit).
    virtual std::shared_ptr<const Picture> upload(const QImage& image, const QRegion& shape) = 0;
    // Shapes the window to `picture` and shows it at the top-left corner until another is
    // shown; the server repaints it wherever the window is exposed. nullptr: no pixel shows.
    // After showAhead() it shows once the pictures handed there have been shown.
    virtual void show(const Picture* picture) = 0;

    // One picture of a run shown by the server on its own clock.
    struct Step {
        int atMs = 0;                            // from the call, not before the step before
        std::shared_ptr<const Picture> picture;  // nullptr: no pixel shows
    };
    // Whether showAhead() can work here: asked before the caller works out what to hand.
    virtual bool canShowAhead() { return false; }
    // Has the server show each picture at its time, after what was handed before; the last
    // one stays. The caller need not wake for any of them. False where the server cannot
    // (nothing was shown then: show each one at its time instead).
    virtual bool showAhead(const std::vector<Step>& steps) {
        (void)steps;
        return false;
    }
    // Drops the steps not shown yet: the screen keeps one of the pictures handed, which one
    // depends on the time. Shows that follow go out at once.
    virtual void cancelAhead() {}
};

// The surface for `window` on this window system, or nullptr where there is none (not X11,
// a server whose pixel format we do not write, the offscreen platform of the tests).
std::unique_ptr<FrameSurface> makeNativeFrameSurface(QWindow& window);

}  // namespace platform
