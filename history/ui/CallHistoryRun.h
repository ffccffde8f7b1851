#pragma once
// The window's two ways into the call history: the dialog, run modally, and
// the count of missed calls for the tray tip. Both open their own connection
// to the store on the window's thread, so the recorder is never held up.

#include <optional>
#include <string>

#include "history/CallHistoryPath.h"

class QWidget;

// The call chosen in the dialog, ready for the handset's display.
struct ChosenCall {
    std::string name;    // code page 932
    std::string number;  // dial characters
};

// Shows the history of the store at `path` (empty when there is none yet);
// the chosen call after OK or a double-click on a row, else nothing.
std::optional<ChosenCall> RunCallHistory(QWidget* parent,
                                         const std::string& path = CallHistoryPath());

// Missed calls not yet seen in the dialog; 0 without a store.
int UnseenMissedCalls(const std::string& path = CallHistoryPath());

// The tray tip: the missed calls, and on a second line any trouble with the
// history in this run.
std::string CallHistoryTip(const std::string& path = CallHistoryPath());

struct CallStoreOpening;
// The dialog's line: its own opening's trouble, else the run's.
std::string CallHistoryTroubleLine(const CallStoreOpening& opening, const std::string& path);
