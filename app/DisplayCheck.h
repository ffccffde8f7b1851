#pragma once
// Whether the window can have a desktop to show on, judged from the
// environment before Qt is started: Qt would otherwise abort with a message
// about reinstalling the program.

#include <string>

inline constexpr const char* kNoDisplayMessage =
    "Telvoxa needs a graphical desktop (no display found)";

struct DisplayEnvironment {
    std::string display;         // DISPLAY
    std::string waylandDisplay;  // WAYLAND_DISPLAY
    std::string qpaPlatform;     // QT_QPA_PLATFORM: "name[:options]" entries joined by ';'
    // A compositor's default socket wayland-0 in XDG_RUNTIME_DIR, which a
    // Wayland client uses when WAYLAND_DISPLAY is unset.
    bool defaultWaylandSocket = false;
    // The system gives every process a desktop (Windows).
    bool systemDesktop = false;
};

// The process's own environment.
DisplayEnvironment CurrentDisplayEnvironment();

// True where the system gives a desktop. Else false only when every platform Qt would try needs a
// display server that is not there. Platforms that need none (offscreen, minimal, vnc, a frame
// buffer) and names this check does not know are left to Qt.
bool CanReachDisplay(const DisplayEnvironment& environment);
