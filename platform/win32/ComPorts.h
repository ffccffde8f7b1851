#pragma once
// The pieces of the Windows port list (platform/SerialPortList.h).

#include <functional>
#include <string>
#include <vector>

#include "platform/DeviceCheck.h"
#include "platform/SerialPortList.h"

// A port the system lists: its name ("COM3") and the driver's device
// ("\Device\Serial0").
struct ListedComPort {
    std::string name;
    std::string device;
};

// What HARDWARE\DEVICEMAP\SERIALCOMM holds now.
std::vector<ListedComPort> RegistryComPorts();

// Why opening the port `name` fails (empty when it opened): its
// CheckSerialDevice (platform/DeviceCheck.h), which opens the port and
// closes it again at once.
std::string ComPortOpenProblem(const std::string& name);

// The words for a failed open of a port with the system error `error`.
DeviceCheck DescribeComPortError(unsigned long error);

using ComPortProbe = std::function<std::string(const std::string& name)>;

// COM1 to COM9 and every listed port once (names compared without regard to
// case), in the order of their numbers, names that are not COMn last; each
// with what `probe` says of it.
std::vector<SerialPortEntry> MergeComPorts(const std::vector<ListedComPort>& listed,
                                           const ComPortProbe& probe);
