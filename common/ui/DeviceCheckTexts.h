#pragma once
// What a device check found, in the user's language: the same words as the
// check's own English text where there is no translation.

#include <QString>

#include "platform/DeviceCheck.h"

QString DeviceCheckText(const DeviceCheck& check);
