#pragma once
// The simulated phone's behaviour, free of any I/O: what each command sends,
// how each message from the PC is shown and answered, and the call state that
// both move. The runner (PhoneSimulator) does the timing and the writing.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/PcMessage.h"
#include "sim/SimCallState.h"
#include "sim/SimCommand.h"

struct SimSend {
    std::vector<uint8_t> bytes;
    int delayMs = 0;  // after the message that caused it
};

struct SimOutcome {
    std::vector<std::string> lines;  // to print: "<- ..." and "error: ..."
    std::vector<SimSend> sends;
};

class SimPhone {
public:
    static constexpr int kDefaultCharge = 120;
    static constexpr int kDefaultSignal = 4;
    // How long the phone takes to report what a dial message set going.
    static constexpr int kReportDelayMs = 200;
    // The raw blocks that follow a charge: 0xE1 and three bytes, 0xE7 and two.
    static constexpr uint8_t kBlock3[3] = {0x01, 0x23, 0x45};
    static constexpr uint8_t kBlock2[2] = {0x67, 0x89};

    // `cable` is the cable type whose handshake the phone answers.
    explicit SimPhone(int cable = 0) : m_cable(cable) {}

    SimCallState State() const { return m_state; }
    int Cable() const { return m_cable; }

    // A command from the keyboard or a script. Sleep, Expect, Stay and Quit
    // belong to the runner and do nothing here.
    SimOutcome Apply(const SimCommand& command);
    // A message from the PC.
    SimOutcome Receive(const PcMessage& message);
    // The status byte that the phone sends now and then; nothing while silent
    // or while a call is being set up, ringing or held.
    std::optional<uint8_t> StatusByte() const;

private:
    std::vector<uint8_t> ChargeReport(int64_t charge, bool withBlock3) const;
    uint8_t CurrentStatus() const;
    void ReportStatusNow(SimOutcome& outcome) const;

    int m_cable;
    SimCallState m_state = SimCallState::Idle;
    int m_signal = kDefaultSignal;
    bool m_noService = false;
    bool m_silent = false;
    int64_t m_charge = kDefaultCharge;
};

// "a5 e0 9a aa"
std::string HexBytes(const std::vector<uint8_t>& bytes);
// The line a message from the PC prints, as the phone in `state` reads it.
std::string DescribePcMessage(const PcMessage& message, SimCallState state);
