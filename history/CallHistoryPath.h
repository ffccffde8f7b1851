#pragma once
// Where the call history lives, and the tray tip that counts missed calls.

#include <string>

// $XDG_DATA_HOME/telvoxa/calls.sqlite, or ~/.local/share/telvoxa/calls.sqlite
// when the variable is unset or not an absolute path.
std::string CallHistoryPath();

// "Telvoxa", or "Telvoxa — 不在着信 N" (UTF-8) while N missed calls are unseen.
std::string MissedCallTip(int unseenMissed);
