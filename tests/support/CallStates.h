#pragma once
// Every call state, in order, with the name a test row gives it.

#include "handset/StatusTexts.h"

constexpr int kStates[] = {CALL_IDLE,      CALL_OFFHOOK, CALL_SENDING,
                           CALL_RECEIVING, CALL_ONLINE,  CALL_HOLDING};
inline const char* const kStateNames[] = {"idle",      "off hook", "sending",
                                          "receiving", "on line",  "holding"};
