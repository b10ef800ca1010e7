#pragma once

#include <QImage>
#include <QRegion>

#include <memory>

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
    virtual void show(const Picture* picture) = 0;
};

// The surface for `window` on this window system, or nullptr where there is none (not X11,
// a server whose pixel format we do not write, the offscreen platform of the tests).
std::unique_ptr<FrameSurface> makeNativeFrameSurface(QWindow& window);

}  // namespace platform
