#include "platform/UserDataFolder.h"

#include <cstdlib>

std::string UserDataFolder() {
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] ? home : ".") + "/.local/share";
    }
    return base + "/telvoxa";
}

std::string UserDataFile(const std::string& name) {
    return UserDataFolder() + "/" + name;
}
