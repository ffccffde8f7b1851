#pragma once
// Whether a serial-core device (ttyS*) has a UART behind it: the kernel
// makes a node for every possible legacy port, present or not.

#include <string>

// false only for a legacy port (ttyS*) whose driver says its type is
// unknown; every other device counts as present.
bool DriverReportsPort(int fd);
// The same for a device by path: the sysfs "type" of the tty when there is
// one, else the driver asked on a short non-blocking open.
bool AnswersAsSerialPort(const std::string& devicePath);
