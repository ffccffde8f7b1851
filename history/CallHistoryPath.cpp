#include "history/CallHistoryPath.h"

#include "platform/UserDataFolder.h"

std::string CallHistoryPath() {
    return UserDataFile("calls.sqlite");
}

std::string MissedCallTip(int unseenMissed) {
    if (unseenMissed <= 0) return "Telvoxa";
    return "Telvoxa — 不在着信 " + std::to_string(unseenMissed);
}
