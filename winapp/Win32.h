#pragma once
// The system's headers for the Windows program. The core's headers that use
// names the system defines as macros come first, so that both can be used in
// one file; every file of the program includes the system through this one.

#include "app/HandsetStart.h"
#include "handset/BmpReader.h"
#include "platform/CommDevice.h"

#include <windows.h>
