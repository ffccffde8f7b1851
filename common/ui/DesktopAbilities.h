#pragma once
// What the desktop lets a program do with its own windows. An X11 window
// manager lets the program place and raise its windows and cuts a shaped
// window's picture to its mask; a Wayland compositor does neither: it places
// windows itself (a drag goes through QWindow::startSystemMove), raises them
// only on a recent input, and takes a mask as the input region alone. Qt says
// nothing when it drops a move() there, so the program has to know.

#include <optional>

struct DesktopAbilities {
    // move() of a top-level window is honoured, and a position read back is
    // where the window is on the screen.
    bool placesWindows = true;
    // setMask() cuts what the window shows, not only where it takes input.
    bool masksPicture = true;
};

// The abilities of the platform the application runs on.
DesktopAbilities CurrentDesktop();
// The abilities of a platform plugin by its name ("xcb", "wayland-egl", ...).
DesktopAbilities DesktopAbilitiesOf(const char* platformName);
// Tests stand in for another desktop; nullopt gives the real one back.
void OverrideDesktopForTests(std::optional<DesktopAbilities> abilities);
