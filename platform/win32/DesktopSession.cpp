#include "platform/DesktopSession.h"

bool SystemGivesDesktop() {
    return true;
}

// No display server listens on a socket here.
bool IsLocalSocket(const std::string&) {
    return false;
}
