#pragma once
// The serial device for a port name, as the profile's "ports" section maps
// "COM1".."COM9" to device paths.

#include <memory>
#include <string>

#include "handset/HandsetView.h"
#include "platform/CommDevice.h"

// Profile "ports" / `portName` when set, else the platform's default path.
std::string ProfilePortPath(const std::string& portName);
// Stores `path` as the device of `portName`. The port's default path is
// never written: its entry is removed instead.
void StoreProfilePortPath(const std::string& portName, const std::string& path);
// The device path of every port name, read from the profile now.
PortPaths ProfilePortPaths();
// The real serial device. It resolves port names through `paths` (the
// session fills them in with the settings, on the thread that opens the
// port); a name not in it takes its default path. No profile is read then.
std::unique_ptr<CommDevice> MakeProfileCommDevice(std::shared_ptr<const PortPaths> paths);
