#pragma once
// Where the call history lives, and the tray tip that counts missed calls.

#include <string>

// calls.sqlite in the user's data folder (platform/UserDataFolder.h).
std::string CallHistoryPath();

// "Telvoxa", or "Telvoxa — 不在着信 N" (UTF-8) while N missed calls are unseen.
std::string MissedCallTip(int unseenMissed);
