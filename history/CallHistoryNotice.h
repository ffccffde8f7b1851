#pragma once
// What the user is told when the call history cannot be kept: one line
// (UTF-8) for the history dialog, the tray tip and a message box. The run's
// current line is kept here, written by the recorder on the link thread and
// read by the window.

#include <string>

#include "history/CallStore.h"

// The line for an opening's trouble; empty when there was none. `recording`
// adds that calls are not recorded.
std::string CallStoreTroubleText(const CallStoreOpening& opening, const std::string& path,
                                 bool recording);
// The line for a write that failed in the middle of a run.
std::string CallWriteFailedText(const std::string& reason, bool diskFull);

namespace CallHistoryNotice {
// Replaces the run's line; empty clears it.
void Set(const std::string& text);
std::string Text();
// True the first time it is asked while a line is set, then false until
// another line is set: the message box is shown once per trouble.
bool TakeFirstShowing();
}  // namespace CallHistoryNotice
