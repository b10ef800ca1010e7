#include "platform/FrameSurface.h"
#include "platform/surface/X11AheadStream.h"

#include <QGuiApplication>
#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>
#include <vector>

namespace platform {

namespace {

xcb_connection_t* connection() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t* xcb = x11 ? x11->connection() : nullptr;
    return xcb && !xcb_connection_has_error(xcb) ? xcb : nullptr;
}

// The visual and pixmap format of `depth` / `visualId`, when they store a pixel as 32 bits
// holding 0x00RRGGBB (or premultiplied 0xAARRGGBB at depth 32): the layout of our images.
bool writesOurPixels(const xcb_setup_t* setup, std::uint8_t depth, xcb_visualid_t visualId) {
    bool format = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth)
            format = it.data->bits_per_pixel == 32 && it.data->scanline_pad == 32;
    }
    if (!format || (depth != 24 && depth != 32))
        return false;
    for (auto s = xcb_setup_roots_iterator(setup); s.rem; xcb_screen_next(&s)) {
        for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem; xcb_depth_next(&d)) {
            if (d.data->depth != depth)
                continue;
            for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v)) {
                if (v.data->visual_id == visualId)
                    return v.data->_class == XCB_VISUAL_CLASS_TRUE_COLOR &&
                           v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                           v.data->blue_mask == 0xff;
            }
        }
    }
    return false;
}

class X11Picture final : public FrameSurface::Picture {
public:
    X11Picture(xcb_connection_t* connection, xcb_pixmap_t id, int w, int h,
               std::vector<xcb_rectangle_t> shapeRects)
        : xcb(connection), pixmap(id), width(w), height(h), shape(std::move(shapeRects)) {}
    ~X11Picture() override {
        // After the application is gone its connection is too (the server frees the pixmap).
        if (qGuiApp)
            xcb_free_pixmap(xcb, pixmap);
    }
    X11Picture(const X11Picture&) = delete;
    X11Picture& operator=(const X11Picture&) = delete;

    xcb_connection_t* const xcb;
    const xcb_pixmap_t pixmap;
    const int width;
    const int height;
    const std::vector<xcb_rectangle_t> shape;  // sorted by y, then x
};

// The picture is the background of a child window that covers the toolkit's window and asks
// for no events. The server paints every newly visible part of it by itself (a grown shape,
// a window moved away), so showing a frame sends three small requests and nothing comes back:
// no expose event, no round trip. The toolkit's window carries the shape; pointer events pass
// through the child to it. Runs of frames go on a second connection whose requests the server
// holds back until each frame's time (x11::AheadStream).
class X11FrameSurface final : public FrameSurface {
public:
    X11FrameSurface(QWindow& window, xcb_connection_t* xcb, std::uint8_t depth, bool swapBytes)
        : m_window(window), m_xcb(xcb), m_depth(depth), m_swapBytes(swapBytes) {}
    ~X11FrameSurface() override {
        cancelAhead();
        if (qGuiApp && m_child != 0 && m_parent == windowId())
            xcb_destroy_window(m_xcb, m_child);
    }
    X11FrameSurface(const X11FrameSurface&) = delete;
    X11FrameSurface& operator=(const X11FrameSurface&) = delete;

    std::shared_ptr<const Picture> upload(const QImage& image, const QRegion& shape) override {
        if (image.isNull() || image.format() != QImage::Format_ARGB32_Premultiplied)
            return nullptr;
        const auto width = static_cast<std::uint16_t>(image.width());
        const auto height = static_cast<std::uint16_t>(image.height());
        const std::size_t stride = std::size_t{width} * 4;
        const std::size_t maxBytes = std::size_t{xcb_get_maximum_request_length(m_xcb)} * 4;
        if (maxBytes < kPutImageHeader + stride)
            return nullptr;
        const xcb_pixmap_t pixmap = xcb_generate_id(m_xcb);
        // The first picture is waited for: a server that refuses it leaves the drawing to the
        // toolkit. Later ones are not (a round trip per new frame); an error on them reaches
        // Qt's log.
        if (!m_confirmed) {
            const xcb_void_cookie_t created =
                xcb_create_pixmap_checked(m_xcb, m_depth, pixmap, windowId(), width, height);
            if (xcb_generic_error_t* error = xcb_request_check(m_xcb, created)) {
                std::free(error);
                return nullptr;
            }
            m_confirmed = true;
        } else {
            xcb_create_pixmap(m_xcb, m_depth, pixmap, windowId(), width, height);
        }
        std::vector<xcb_rectangle_t> rects;
        rects.reserve(static_cast<std::size_t>(shape.rectCount()));
        for (const QRect& r : shape)
            rects.push_back({static_cast<std::int16_t>(r.x()), static_cast<std::int16_t>(r.y()),
                             static_cast<std::uint16_t>(r.width()),
                             static_cast<std::uint16_t>(r.height())});
        auto picture = std::make_shared<X11Picture>(m_xcb, pixmap, width, height, std::move(rects));
        const xcb_gcontext_t gc = xcb_generate_id(m_xcb);
        xcb_create_gc(m_xcb, gc, pixmap, 0, nullptr);
        // Rows in bands that each fit one request.
        const int bandRows =
            static_cast<int>(std::min<std::size_t>((maxBytes - kPutImageHeader) / stride, height));
        std::vector<std::uint32_t> swapped;
        for (int y = 0; y < height; y += bandRows) {
            const int rows = std::min(bandRows, int{height} - y);
            const uchar* data = image.constScanLine(y);
            if (m_swapBytes) {
                const auto* pixels = reinterpret_cast<const std::uint32_t*>(data);
                swapped.assign(pixels,
                               pixels + std::size_t{width} * static_cast<std::size_t>(rows));
                for (std::uint32_t& p : swapped)
                    p = __builtin_bswap32(p);
                data = reinterpret_cast<const uchar*>(swapped.data());
            }
            xcb_put_image(
                m_xcb, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, width,
                static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(y), 0, m_depth,
                static_cast<std::uint32_t>(stride * static_cast<std::size_t>(rows)), data);
        }
        xcb_free_gc(m_xcb, gc);
        return picture;
    }

    void show(const Picture* picture) override {
        const auto* p = static_cast<const X11Picture*>(picture);
        if (m_ahead && m_ahead->broken())
            dropAhead();
        // Behind the pictures handed to showAhead(), when there were some.
        xcb_connection_t* target = m_ahead ? m_ahead->connection() : m_xcb;
        if (p)
            ensureChild(windowId(), p->width, p->height, target != m_xcb);
        sendShow(target, p);
        xcb_flush(target);
    }

    bool canShowAhead() override {
        if (!m_clockLooked) {
            m_clockLooked = true;
            m_clock = x11::ServerClock::find(m_xcb);
        }
        return m_clock && !m_aheadRefused;
    }

    bool showAhead(const std::vector<Step>& steps) override {
        if (!canShowAhead())
            return false;
        if (steps.empty())
            return true;
        if (m_ahead && m_ahead->broken())
            dropAhead();
        if (!m_ahead) {
            m_ahead = x11::AheadStream::open(m_xcb, windowId(), *m_clock);
            m_aheadRefused = !m_ahead;  // no second connection: frame by frame from now on
        }
        const std::optional<std::uint64_t> now = m_clock->now();
        // Times are compared as the server's counter does. Should its low word wrap within
        // the run (every 49 days), show frame by frame for a while instead.
        const auto last = static_cast<std::uint64_t>(std::max(0, steps.back().atMs));
        if (!m_ahead || !now ||
            (*now & 0xffffffffu) + last + kWrapMarginMs > std::numeric_limits<std::uint32_t>::max())
            return false;
        m_ahead->drainErrors();
        std::vector<std::shared_ptr<const Picture>> held;
        held.reserve(steps.size());
        for (const Step& step : steps) {
            const auto* p = static_cast<const X11Picture*>(step.picture.get());
            if (p)
                ensureChild(windowId(), p->width, p->height, true);
            m_ahead->waitUntil(*now + static_cast<std::uint64_t>(std::max(0, step.atMs)));
            sendShow(m_ahead->connection(), p);
            held.push_back(step.picture);
        }
        xcb_flush(m_ahead->connection());
        // The server may still be showing the run before this one: its pictures stay too.
        m_held[0] = std::move(m_held[1]);
        m_held[1] = std::move(held);
        return true;
    }

    void cancelAhead() override {
        if (m_ahead && qGuiApp)
            m_ahead->cut();
        dropAhead();
    }

private:
    static constexpr std::size_t kPutImageHeader = 24;
    static constexpr std::uint64_t kWrapMarginMs = 60'000;

    // Asked each time: the toolkit may make its native window again.
    xcb_window_t windowId() const { return static_cast<xcb_window_t>(m_window.winId()); }

    // Background, clear, shape: `picture` on the screen (nullptr: no pixel), sent on `xcb`.
    void sendShow(xcb_connection_t* xcb, const X11Picture* picture) {
        const xcb_window_t window = windowId();
        if (!picture) {
            xcb_shape_rectangles(xcb, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING,
                                 XCB_CLIP_ORDERING_UNSORTED, window, 0, 0, 0, nullptr);
            return;
        }
        // The new picture inside the old outline first; parts the new outline adds are then
        // painted by the server from the new background.
        xcb_change_window_attributes(xcb, m_child, XCB_CW_BACK_PIXMAP, &picture->pixmap);
        xcb_clear_area(xcb, 0, m_child, 0, 0, 0, 0);
        xcb_shape_rectangles(
            xcb, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_YX_SORTED, window, 0, 0,
            static_cast<std::uint32_t>(picture->shape.size()), picture->shape.data());
    }

    void dropAhead() {
        m_ahead.reset();
        m_held[0].clear();
        m_held[1].clear();
    }

    // The child window is made (or sized) on our main connection, so it lives as long as the
    // toolkit's window. `elsewhere`: the requests that use it go on another connection, which
    // must not overtake these.
    void ensureChild(xcb_window_t parent, int width, int height, bool elsewhere) {
        if (m_child != 0 && m_parent == parent) {
            if (width == m_width && height == m_height)
                return;
            const std::uint32_t size[] = {static_cast<std::uint32_t>(width),
                                          static_cast<std::uint32_t>(height)};
            xcb_configure_window(m_xcb, m_child, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT,
                                 size);
            m_width = width;
            m_height = height;
        } else {
            m_parent = parent;
            m_child = xcb_generate_id(m_xcb);
            m_width = width;
            m_height = height;
            // No background until the first frame is set; no event is asked for.
            const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, 0};
            xcb_create_window(m_xcb, XCB_COPY_FROM_PARENT, m_child, parent, 0, 0,
                              static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                              0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
                              XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
            xcb_map_window(m_xcb, m_child);
        }
        if (elsewhere)
            std::free(xcb_get_input_focus_reply(m_xcb, xcb_get_input_focus(m_xcb), nullptr));
    }

    QWindow& m_window;
    xcb_connection_t* m_xcb;
    std::uint8_t m_depth;
    bool m_swapBytes;
    bool m_confirmed = false;
    xcb_window_t m_parent = 0;
    xcb_window_t m_child = 0;
    int m_width = 0;
    int m_height = 0;
    // Runs of pictures the server shows on its own clock.
    std::optional<x11::ServerClock> m_clock;
    bool m_clockLooked = false;
    bool m_aheadRefused = false;
    std::unique_ptr<x11::AheadStream> m_ahead;
    std::vector<std::shared_ptr<const Picture>> m_held[2];  // the last two runs handed
};

}  // namespace

std::unique_ptr<FrameSurface> makeNativeFrameSurface(QWindow& window) {
    xcb_connection_t* xcb = connection();
    if (!xcb)
        return nullptr;
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_get_geometry_reply_t* geometry =
        xcb_get_geometry_reply(xcb, xcb_get_geometry(xcb, id), nullptr);
    xcb_get_window_attributes_reply_t* attributes =
        xcb_get_window_attributes_reply(xcb, xcb_get_window_attributes(xcb, id), nullptr);
    const bool usable = geometry && attributes &&
                        writesOurPixels(xcb_get_setup(xcb), geometry->depth, attributes->visual);
    const std::uint8_t depth = geometry ? geometry->depth : 0;
    std::free(geometry);
    std::free(attributes);
    if (!usable)
        return nullptr;
    // Our pixels are 32-bit words in this machine's byte order; the server says which it reads.
    const bool serverLsbFirst = xcb_get_setup(xcb)->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
    const bool swap = serverLsbFirst != (std::endian::native == std::endian::little);
    return std::make_unique<X11FrameSurface>(window, xcb, depth, swap);
}

}  // namespace platform
