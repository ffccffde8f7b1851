#pragma once
// What the user is told when the call history cannot be kept: one line
// (UTF-8, in the user's language) for the history dialog, the tray tip and a message box. The run's
// current line is kept here, written by the recorder on the link thread and
// read by the window.

#include <ctime>
#include <string>

#include "history/CallStore.h"

// The line for an opening's trouble; empty when there was none. `recording`
// adds that calls are not recorded.
std::string CallStoreTroubleText(const CallStoreOpening& opening, const std::string& path,
                                 bool recording);
// Why a write failed, in a few words for the lines below.
std::string CallWriteFailedWhy(const std::string& reason, bool diskFull);
// The same when there is no history to write to.
std::string CallHistoryUnusableWhy();
// Two of these lines as one; either may be empty.
std::string JoinedLines(const std::string& first, const std::string& second);
// The line for calls of this run not in the history: `waiting` still to be
// written (tried again), `lost` given up, begun between `first` and `last`.
std::string UnsavedCallsText(int waiting, int lost, std::time_t first, std::time_t last,
                             const std::string& why);

namespace CallHistoryNotice {
// Replaces the run's line; empty clears it.
void Set(const std::string& text);
std::string Text();
// True the first time it is asked while a line is set, then false until
// another line is set: the message box is shown once per trouble.
bool TakeFirstShowing();
}  // namespace CallHistoryNotice
