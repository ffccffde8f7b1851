#pragma once
// The settings dialog 136: the port, the cable type, caller-ID notification
// and the monitoring interval, read from the profile when it opens and
// written back by OK.

#include "winapp/Win32.h"

#include <optional>
#include <string>

#include "handset/HandsetView.h"
#include "platform/ProfileStore.h"
#include "platform/SerialPortList.h"

inline constexpr int kIntervalMin = 50;
inline constexpr int kIntervalMax = 650;
inline constexpr int kPortCount = 9;

// The interval label: "%dms".
std::wstring IntervalLabel(int milliseconds);
// Where the slider stands for an interval: at the nearest end outside the range.
int SliderPosition(int milliseconds);
// The index 0..8 of "COM1".."COM9", -1 for any other name.
int PortIndex(const std::string& name);
// What the settings dialog says of a port under the list.
std::string PortStatusText(const SerialPortEntry& port);
// The list selection of a stored port or cable index: none (-1) outside 0..count-1.
int ListSelection(int stored, int count);

// Shown modally once. The four values whichever of OK and Cancel closed it
// (after Cancel those read at the opening or at the last slider move);
// nothing when the user chose to end the program.
std::optional<ConnectionSettings> RunSettingsDlg(HWND owner, ProfileStore& profile);
