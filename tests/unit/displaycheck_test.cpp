#include "app/DisplayCheck.h"

#include <gtest/gtest.h>

namespace {

TEST(DisplayCheck, OnlyPlatformsThatNeedAMissingDisplayServerStopTheStart) {
    struct Case {
        const char* name;
        DisplayEnvironment environment;
        bool reachable;
    };
    const Case cases[] = {
        {"nothing at all", {}, false},
        {"a system that gives every process a desktop", {"", "", "xcb", false, true}, true},
        {"X11", {":0", "", "", false}, true},
        {"Wayland", {"", "wayland-1", "", false}, true},
        {"the default Wayland socket alone is not the default platform", {"", "", "", true}, false},
        {"offscreen needs none", {"", "", "offscreen", false}, true},
        {"minimal needs none", {"", "", "minimal", false}, true},
        {"a frame buffer with options", {"", "", "linuxfb:fb=/dev/fb0", false}, true},
        {"xcb without DISPLAY", {"", "wayland-0", "xcb", false}, false},
        {"xcb with DISPLAY", {":1", "", "xcb", false}, true},
        {"wayland without a socket", {":0", "", "wayland", false}, false},
        {"wayland on the default socket", {"", "", "wayland", true}, true},
        {"wayland-egl named", {"", "wayland-0", "wayland-egl", false}, true},
        {"a list falls back to a later entry", {":0", "", "wayland;xcb", false}, true},
        {"a list where none can start", {"", "", "wayland;xcb", false}, false},
        {"empty entries are no choice", {":0", "", ";", false}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CanReachDisplay(c.environment), c.reachable);
    }
}

}  // namespace
