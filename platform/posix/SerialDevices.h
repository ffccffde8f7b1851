#pragma once
// The serial devices present: stable /dev/serial/by-id links first, then the
// USB adapters and modems, then the legacy ports that have a UART behind them.

#include <functional>
#include <string>
#include <vector>

struct SerialDeviceEntry {
    std::string path;   // what to open, e.g. /dev/serial/by-id/usb-X-if00-port0
    std::string label;  // what to show, e.g. "/dev/serial/by-id/usb-X-if00-port0 (ttyUSB0)"
};

// The device folder: /dev, unless TELVOXA_DEV_DIR names another one (to try
// the listing on a made-up folder).
std::string SerialDeviceFolder();

// Answers whether a ttyS* device has a port behind it.
using SerialPortPresence = std::function<bool(const std::string& devicePath)>;

// Lists `devDir` (the device folder): serial/by-id/* links whose device is
// there, then ttyUSB*, ttyACM* and the ttyS* that `present` accepts, each
// group in the order of its numbers. Missing folders give no entries.
std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& devDir = "/dev",
                                                 const SerialPortPresence& present = {});
