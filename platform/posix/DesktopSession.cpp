#include "platform/DesktopSession.h"

#include <sys/stat.h>

bool SystemGivesDesktop() {
    return false;
}

bool IsLocalSocket(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}
