#pragma once
// The serial ports the user may choose from, each with why it would not open
// now. On Linux the devices of platform/posix/SerialDevices.h; on Windows the
// ports the system lists (HARDWARE\DEVICEMAP\SERIALCOMM) and COM1 to COM9,
// each opened and closed once to learn whether it opens.

#include <string>
#include <vector>

struct SerialPortEntry {
    std::string path;     // what the comm device opens: "/dev/ttyUSB0", "COM3"
    std::string label;    // what to show
    std::string problem;  // why opening it fails now; empty when it opens
};

std::vector<SerialPortEntry> ListSerialPorts();
