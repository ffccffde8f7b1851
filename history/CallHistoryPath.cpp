#include "history/CallHistoryPath.h"

#include <cstdlib>

std::string CallHistoryPath() {
    std::string base;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && data[0] == '/') {
        base = data;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && home[0] ? home : ".") + "/.local/share";
    }
    return base + "/telvoxa/calls.sqlite";
}

std::string MissedCallTip(int unseenMissed) {
    if (unseenMissed <= 0) return "Telvoxa";
    return "Telvoxa — 不在着信 " + std::to_string(unseenMissed);
}
