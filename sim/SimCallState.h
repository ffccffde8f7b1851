#pragma once
// What the simulated phone is doing; it decides which bytes each command and
// each message from the PC calls for.

#include <string_view>

enum class SimCallState {
    Idle,
    OffHook,  // handset lifted, no number yet
    Placing,  // an outgoing call is being set up
    Ringing,  // an incoming call waits to be answered
    OnLine,
    Held,
};

constexpr std::string_view SimCallStateName(SimCallState state) {
    switch (state) {
        case SimCallState::Idle:
            return "idle";
        case SimCallState::OffHook:
            return "off-hook";
        case SimCallState::Placing:
            return "placing";
        case SimCallState::Ringing:
            return "ringing";
        case SimCallState::OnLine:
            return "on-line";
        case SimCallState::Held:
            return "held";
    }
    return "?";
}
