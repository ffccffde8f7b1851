#pragma once
// The serial device for a port name, as the profile's "ports" section maps
// "COM1".."COM9" to device paths.

#include <memory>
#include <string>

#include "platform/CommDevice.h"

// Profile "ports" / `portName` when set, else the platform's default path.
std::string ProfilePortPath(const std::string& portName);
// Stores `path` as the device of `portName`. The port's default path is
// never written: its entry is removed instead.
void StoreProfilePortPath(const std::string& portName, const std::string& path);
// The real serial device, resolving port names through the profile.
std::unique_ptr<CommDevice> MakeProfileCommDevice();
