#include "platform/surface/X11AheadStream.h"

#include <xcb/shape.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

namespace platform::x11 {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

bool hasSync(xcb_connection_t* xcb) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(xcb, &xcb_sync_id);
    if (!extension || !extension->present)
        return false;
    const Reply<xcb_sync_initialize_reply_t> version(xcb_sync_initialize_reply(
        xcb, xcb_sync_initialize(xcb, XCB_SYNC_MAJOR_VERSION, XCB_SYNC_MINOR_VERSION), nullptr));
    return version != nullptr;
}

}  // namespace

std::optional<ServerClock> ServerClock::find(xcb_connection_t* main) {
    if (!hasSync(main))
        return std::nullopt;
    const Reply<xcb_sync_list_system_counters_reply_t> list(
        xcb_sync_list_system_counters_reply(main, xcb_sync_list_system_counters(main), nullptr));
    if (!list)
        return std::nullopt;
    // Read by hand: each entry is counter (4 bytes), resolution (8), name length (2), name,
    // padded to 4 bytes. The library's iterator assumes the name starts 2 bytes later.
    const auto* at = reinterpret_cast<const std::uint8_t*>(list.get() + 1);
    const std::uint8_t* end = at + std::size_t{list->length} * 4;
    for (std::uint32_t i = 0; i < list->counters_len && at + 14 <= end; ++i) {
        std::uint32_t counter = 0;
        std::uint16_t nameLength = 0;
        std::memcpy(&counter, at, sizeof counter);
        std::memcpy(&nameLength, at + 12, sizeof nameLength);
        if (at + 14 + nameLength > end)
            break;
        if (std::string_view(reinterpret_cast<const char*>(at + 14), nameLength) == "SERVERTIME")
            return ServerClock(main, counter);
        at += (14u + nameLength + 3u) & ~3u;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> ServerClock::now() const {
    const Reply<xcb_sync_query_counter_reply_t> value(
        xcb_sync_query_counter_reply(m_main, xcb_sync_query_counter(m_main, m_counter), nullptr));
    if (!value)
        return std::nullopt;
    return (std::uint64_t{static_cast<std::uint32_t>(value->counter_value.hi)} << 32) |
           value->counter_value.lo;
}

std::unique_ptr<AheadStream> AheadStream::open(xcb_connection_t* main, xcb_window_t window,
                                               const ServerClock& clock) {
    // The same display the toolkit opened: it takes the name from the environment too.
    xcb_connection_t* xcb = xcb_connect(nullptr, nullptr);
    // Extensions are looked up on first use, with a round trip that would wait behind the
    // requests held back: SHAPE now, while nothing is.
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(xcb, &xcb_shape_id);
    if (xcb_connection_has_error(xcb) || !shape || !shape->present || !hasSync(xcb)) {
        xcb_disconnect(xcb);
        return nullptr;
    }
    const xcb_pixmap_t handle = xcb_generate_id(xcb);
    xcb_create_pixmap(xcb, xcb_setup_roots_iterator(xcb_get_setup(xcb)).data->root_depth, handle,
                      window, 1, 1);
    // Our window must be known there under the same root, and the clock must be the same
    // counter: then it is the same server.
    const Reply<xcb_get_geometry_reply_t> there(
        xcb_get_geometry_reply(xcb, xcb_get_geometry(xcb, window), nullptr));
    const Reply<xcb_get_geometry_reply_t> here(
        xcb_get_geometry_reply(main, xcb_get_geometry(main, window), nullptr));
    const Reply<xcb_sync_query_counter_reply_t> counter(
        xcb_sync_query_counter_reply(xcb, xcb_sync_query_counter(xcb, clock.counter()), nullptr));
    if (!there || !here || there->root != here->root || !counter) {
        xcb_disconnect(xcb);
        return nullptr;
    }
    return std::unique_ptr<AheadStream>(new AheadStream(main, xcb, handle, clock.counter()));
}

AheadStream::~AheadStream() {
    xcb_disconnect(m_xcb);
}

void AheadStream::cut() {
    if (broken())
        return;  // the server has closed it already, and with it what it held back
    // KillClient discards the requests the server still holds back for that connection; the
    // round trip makes sure it has happened before anything the main connection sends next.
    xcb_kill_client(m_main, m_handle);
    std::free(xcb_get_input_focus_reply(m_main, xcb_get_input_focus(m_main), nullptr));
}

void AheadStream::waitUntil(std::uint64_t serverMs) {
    xcb_sync_waitcondition_t condition{};
    condition.trigger.counter = m_clock;
    condition.trigger.wait_type = XCB_SYNC_VALUETYPE_ABSOLUTE;
    condition.trigger.wait_value.hi = static_cast<std::int32_t>(serverMs >> 32);
    condition.trigger.wait_value.lo = static_cast<std::uint32_t>(serverMs);
    condition.trigger.test_type = XCB_SYNC_TESTTYPE_POSITIVE_COMPARISON;
    // The server sends a CounterNotify event when the counter passes the wait value by at
    // least this much: never, then.
    condition.event_threshold.hi = std::numeric_limits<std::int32_t>::max();
    condition.event_threshold.lo = std::numeric_limits<std::uint32_t>::max();
    xcb_sync_await(m_xcb, 1, &condition);
}

void AheadStream::drainErrors() {
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_xcb))
        std::free(event);
}

}  // namespace platform::x11
