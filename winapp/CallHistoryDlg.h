#pragma once
// The call history dialog: the recorded calls, newest first, exported to a
// CSV file on request; a call chosen with OK (or a double-click) is handed
// back as a name and number for the handset to show.

#include "winapp/Win32.h"

#include <optional>

#include "handset/HandsetView.h"

std::optional<ChosenEntry> RunCallHistoryDlg(HWND owner);
