#pragma once
// The first start: with no profile yet and no phone behind COM1's default
// device, the settings dialog comes before the window, saying what to do.

#include <QString>
#include <string>

class QWidget;

// The line the settings dialog shows then; `why` is COM1's device and what
// opening it meets ("/dev/ttyS0: No such device").
QString FirstRunHint(const std::string& why);

// Runs the settings dialog when this is a first start whose COM1 device
// cannot be used; answers false when the user chose to end the program.
bool OfferSettingsOnFirstRun(QWidget* parent = nullptr);
