#include "platform/os/DisplaySession.h"

#include <QtGlobal>

#include <gtest/gtest.h>

TEST(Session, PrefersXWaylandOnlyWhenNothingWasChosen) {
    const struct {
        const char *wayland, *display, *platform, *expected;
    } cases[] = {
        {"wayland-0", ":0", nullptr, "xcb"},
        {"wayland-0", nullptr, nullptr, nullptr},   // no X server to go to
        {nullptr, ":0", nullptr, nullptr},          // plain X11 session
        {"wayland-0", ":0", "wayland", "wayland"},  // the user's choice stands
        {"wayland-0", "", nullptr, nullptr},
    };
    const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
    const auto setOrUnset = [](const char* name, const char* value) {
        value == nullptr ? void(qunsetenv(name)) : void(qputenv(name, value));
    };
    for (const auto& c : cases) {
        setOrUnset("WAYLAND_DISPLAY", c.wayland);
        setOrUnset("DISPLAY", c.display);
        setOrUnset("QT_QPA_PLATFORM", c.platform);
        platform::preferXWayland();
        EXPECT_EQ(qgetenv("QT_QPA_PLATFORM"), QByteArray(c.expected)) << "case " << &c - cases;
    }
    qputenv("QT_QPA_PLATFORM", saved);
    // The tests run on the offscreen platform, where a window can be placed.
    EXPECT_TRUE(platform::unsupportedSessionReason().isEmpty());
}
