#pragma once
// Brings a simulated phone into a call state through its own commands.

#include <string>
#include <vector>

#include "sim/SimCommand.h"
#include "sim/SimPhone.h"

inline SimOutcome ApplyLine(SimPhone& phone, const std::string& line) {
    SimCommandParse parsed = ParseSimCommand(line);
    if (!parsed.command) return {{"parse error: " + parsed.error}, {}};
    return phone.Apply(*parsed.command);
}

inline SimPhone PhoneIn(SimCallState state, int cable = 0) {
    SimPhone phone(cable);
    std::vector<std::string> steps;
    switch (state) {
        case SimCallState::Idle:
            break;
        case SimCallState::OffHook:
            steps = {"offhook"};
            break;
        case SimCallState::Placing:
            steps = {"dialing"};
            break;
        case SimCallState::Ringing:
            steps = {"ring 0312345678"};
            break;
        case SimCallState::OnLine:
            steps = {"ring", "answer"};
            break;
        case SimCallState::Held:
            steps = {"ring", "answer", "hold"};
            break;
    }
    for (const std::string& step : steps) ApplyLine(phone, step);
    return phone;
}

// All bytes of an outcome's sends, in order.
inline std::vector<uint8_t> SentBytes(const SimOutcome& outcome) {
    std::vector<uint8_t> bytes;
    for (const SimSend& send : outcome.sends) {
        bytes.insert(bytes.end(), send.bytes.begin(), send.bytes.end());
    }
    return bytes;
}
