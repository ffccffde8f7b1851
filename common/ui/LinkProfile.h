#pragma once
// The link's settings as the profile holds them, each within the range the
// settings dialog offers: a value outside it (edited by hand, or left by
// another version) is taken as its default, and what was wrong is kept for
// the settings dialog to show.

#include <QStringList>

inline constexpr int kProfilePortCount = 8;   // COM1 to COM8
inline constexpr int kProfileCableCount = 8;  // the cable types of the list
inline constexpr int kMonitorIntervalMin = 50;
inline constexpr int kMonitorIntervalMax = 650;

struct LinkProfile {
    int port = 0;
    int cable = 0;
    int interval = 0;
    // One line for each value out of range, saying what it was and what is used.
    QStringList problems;
};

LinkProfile ReadLinkProfile();
