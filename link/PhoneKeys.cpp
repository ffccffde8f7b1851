// The phone's keys with their code pairs, and the COM port names.

#include "link/PhoneKeys.h"

#include "link/PhoneLink.h"

const PhoneKey PhoneKeyTable[23] = {
    {CONTROL_UP, 1, 1},
    {CONTROL_DOWN, 1, 2},
    {CONTROL_LEFT, 1, 3},
    {CONTROL_RIGHT, 1, 4},
    {CONTROL_1, 2, 1},
    {CONTROL_2, 2, 2},
    {CONTROL_3, 2, 3},
    {CONTROL_4, 2, 4},
    {CONTROL_5, 2, 5},
    {CONTROL_6, 2, 6},
    {CONTROL_7, 2, 7},
    {CONTROL_8, 2, 8},
    {CONTROL_9, 2, 9},
    {CONTROL_0, 2, 10},
    // The # key comes before the * key.
    {CONTROL_SH, 2, 11},
    {CONTROL_AS, 2, 12},
    {CONTROL_ONHOOK, 2, 13},
    {CONTROL_OFFHOOK, 2, 14},
    {CONTROL_I1, 6, 1},
    {CONTROL_I2, 6, 2},
    {CONTROL_I3, 6, 3},
    {CONTROL_I4, 6, 4},
    {CONTROL_I5, 6, 5},
};

const char* const PortNameTable[9] = {"COM1", "COM2", "COM3", "COM4", "COM5",
                                      "COM6", "COM7", "COM8", "COM9"};
