#pragma once

#include <xcb/sync.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace platform::x11 {

// The X server's own millisecond clock (the SYNC extension's SERVERTIME counter), read
// through `main`: the counter is found once, each reading is a round trip. Empty where the
// server has no such counter.
class ServerClock {
public:
    static std::optional<ServerClock> find(xcb_connection_t* main);
    // The clock now; empty when the server did not answer.
    std::optional<std::uint64_t> now() const;
    xcb_sync_counter_t counter() const { return m_counter; }

private:
    ServerClock(xcb_connection_t* main, xcb_sync_counter_t counter)
        : m_main(main), m_counter(counter) {}
    xcb_connection_t* m_main;
    xcb_sync_counter_t m_counter;
};

// A second connection to the same X server whose requests can be held back by the server
// until its clock reaches a given time, so that a run of frames goes out in one write and
// this process need not wake for each. It owns no resource that matters: it only changes
// windows and shows pixmaps of the main connection. cut() has the server close it at once,
// with whatever it still holds back.
class AheadStream {
public:
    // nullptr when no second connection to the server that shows `window` can be made.
    static std::unique_ptr<AheadStream> open(xcb_connection_t* main, xcb_window_t window,
                                             const ServerClock& clock);
    ~AheadStream();
    AheadStream(const AheadStream&) = delete;
    AheadStream& operator=(const AheadStream&) = delete;

    // Through the main connection, which must still be open: the server drops what this one
    // still holds back before it reads anything more the main connection sends. Destroy the
    // stream afterwards.
    void cut();
    xcb_connection_t* connection() const { return m_xcb; }
    // Requests sent after this wait until the server's clock reads `serverMs`.
    void waitUntil(std::uint64_t serverMs);
    // Drops the errors the server sent back (a window or pixmap gone meanwhile).
    void drainErrors();
    bool broken() const { return xcb_connection_has_error(m_xcb) != 0; }

private:
    AheadStream(xcb_connection_t* main, xcb_connection_t* xcb, xcb_pixmap_t handle,
                xcb_sync_counter_t clock)
        : m_main(main), m_xcb(xcb), m_handle(handle), m_clock(clock) {}
    xcb_connection_t* m_main;
    xcb_connection_t* m_xcb;
    xcb_pixmap_t m_handle;  // a resource of this connection: names it to KillClient
    xcb_sync_counter_t m_clock;
};

}  // namespace platform::x11
