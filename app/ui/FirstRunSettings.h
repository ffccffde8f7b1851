#pragma once
// The first start: with no profile yet and COM1's default device not
// opening, the settings dialog comes before the window, saying what to do.

#include <QString>
#include <string>

#include "app/ui/HandsetApp.h"

class QWidget;

// The line the settings dialog shows then; `why` is COM1's device and what
// opening it met ("/dev/ttyS0: No such device").
QString FirstRunHint(const QString& why);

// Runs the settings dialog when this is a first start and COM1 does not
// open: on a device from `factory`, or when it is empty, on the profile's
// serial device as the device check tells. Answers false when the user
// chose to end the program.
bool OfferSettingsOnFirstRun(QWidget* parent, const CommDeviceFactory& factory);
