#pragma once
// Announcements of tty devices coming and going, from udev. A loop polls
// Fd() for reading and calls DrainEvents() when it is readable; without udev
// (no library context, no netlink socket) Fd() is -1 and a caller falls back
// to trying again on a timer.

struct udev;
struct udev_monitor;

class TtyHotplugMonitor {
public:
    TtyHotplugMonitor();
    ~TtyHotplugMonitor();
    TtyHotplugMonitor(const TtyHotplugMonitor&) = delete;
    TtyHotplugMonitor& operator=(const TtyHotplugMonitor&) = delete;

    // Readable when events wait; -1 when udev is unavailable.
    int Fd() const;
    // Takes every pending event without waiting; true when one of them
    // announced a tty device added.
    bool DrainEvents();

private:
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
};
