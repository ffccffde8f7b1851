#pragma once
// Scripted port set-up for cable types outside 0..7: an open and a close
// script of step codes with their operands.

#include <cstdint>

#include "platform/CommDevice.h"

enum PortStep : uint8_t {
    STEP_SETUP = 0,
    STEP_SET_TIMEOUTS = 1,
    STEP_SET_DCB = 2,
    STEP_PURGE = 3,
    STEP_READ = 4,
    STEP_WRITE = 5,
    STEP_SLEEP = 6,
    STEP_SET_DTR = 7,
    STEP_SET_RTS = 8,
    STEP_CLR_DTR = 9,
    STEP_CLR_RTS = 10,
};

inline constexpr int PORT_SCRIPT_STEPS = 21;
inline constexpr int PORT_SCRIPT_DATA = 400;

struct PortProfile {
    uint32_t inQueue = 0;
    uint32_t outQueue = 0;
    Dcb dcb{};
    CommTimeouts timeouts{};
    // A profile nobody filled in holds no script: the open fails.
    bool filled = false;
    uint8_t openSteps[PORT_SCRIPT_STEPS] = {};
    uint8_t openData[PORT_SCRIPT_DATA] = {};
    uint8_t closeSteps[PORT_SCRIPT_STEPS] = {};
    uint8_t closeData[PORT_SCRIPT_DATA] = {};
};
