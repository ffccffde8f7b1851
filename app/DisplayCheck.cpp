#include "app/DisplayCheck.h"

#include <cstdlib>
#include <sstream>

#include "platform/DesktopSession.h"

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// One platform entry, by its name (the part before any ':' options).
bool PlatformCanStart(const std::string& entry, const DisplayEnvironment& environment) {
    const std::string name = entry.substr(0, entry.find(':'));
    if (name == "xcb") return !environment.display.empty();
    if (name.rfind("wayland", 0) == 0)
        return !environment.waylandDisplay.empty() || environment.defaultWaylandSocket;
    return true;
}

}  // namespace

DisplayEnvironment CurrentDisplayEnvironment() {
    DisplayEnvironment environment;
    environment.display = Env("DISPLAY");
    environment.waylandDisplay = Env("WAYLAND_DISPLAY");
    environment.qpaPlatform = Env("QT_QPA_PLATFORM");
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    environment.defaultWaylandSocket = !runtime.empty() && IsLocalSocket(runtime + "/wayland-0");
    environment.systemDesktop = SystemGivesDesktop();
    return environment;
}

bool CanReachDisplay(const DisplayEnvironment& environment) {
    if (environment.systemDesktop) return true;
    std::istringstream entries(environment.qpaPlatform);
    std::string entry;
    bool chosen = false;
    while (std::getline(entries, entry, ';')) {
        if (entry.empty()) continue;
        chosen = true;
        if (PlatformCanStart(entry, environment)) return true;
    }
    // Without a choice Qt takes the desktop's own platform, X11 or Wayland.
    if (!chosen) return !environment.display.empty() || !environment.waylandDisplay.empty();
    return false;
}
