#pragma once
// The first start: with no profile yet and no phone behind COM1's default
// device, the settings dialog comes before the window, saying what to do.

#include <QString>
#include <functional>
#include <string>

#include "platform/posix/SerialDeviceCheck.h"

class QWidget;

// The line the settings dialog shows then; `why` is COM1's device and what
// opening it meets ("/dev/ttyS0: No such device").
QString FirstRunHint(const std::string& why);

using DeviceChecker = std::function<DeviceCheck(const std::string& path)>;

// Runs the settings dialog when this is a first start whose COM1 device
// (checked by `check`, the real check when empty) cannot be used; answers
// false when the user chose to end the program.
bool OfferSettingsOnFirstRun(QWidget* parent = nullptr, const DeviceChecker& check = {});
