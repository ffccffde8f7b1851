#pragma once
// Turns the bytes the PC writes into messages. The protocol has no framing, so
// a message is recognised by its leading bytes; a message left unfinished for
// longer than the gap time-out is closed (or its bytes reported as unknown),
// so garbage and cut-off messages never stall the decoder.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/PcMessage.h"
#include "sim/SimCallState.h"

class WireDecoder {
public:
    using Clock = std::chrono::steady_clock;
    // Long enough for a byte at 600 bits per second, short enough that an
    // off-hook message (which has no end byte) shows promptly.
    static constexpr std::chrono::milliseconds kGapTimeout{250};
    static constexpr size_t kMaxNumber = 64;
    static constexpr size_t kMaxAtLine = 64;

    // `state` is the phone's call state when the byte arrives: while ringing or
    // held a lone 0xA7 is a whole message (answer, resume); otherwise 0xA7
    // begins a dial message.
    void Feed(uint8_t byte, Clock::time_point now, SimCallState state, std::vector<PcMessage>& out);
    // Closes a message that has waited longer than the gap time-out.
    void Expire(Clock::time_point now, SimCallState state, std::vector<PcMessage>& out);
    // When Expire has something to do; nothing while no message is open.
    std::optional<Clock::time_point> Deadline() const;
    // Forgets an unfinished message (the line went away).
    void Reset();

private:
    enum class Mode { None, AfterA7, Number, KeyMessage, AfterA, AtLine, Sequence };

    void Step(uint8_t byte, SimCallState state, std::vector<PcMessage>& out);
    void Start(uint8_t byte, SimCallState state, std::vector<PcMessage>& out);
    void Abandon(SimCallState state, std::vector<PcMessage>& out);
    void EndNumber(std::vector<PcMessage>& out);
    void EndAtLine(bool complete, std::vector<PcMessage>& out);
    void EmitKey(std::vector<PcMessage>& out);

    Mode m_mode = Mode::None;
    std::vector<uint8_t> m_pending;  // bytes of an unfinished fixed-form message
    std::string m_expected;          // Sequence: all the bytes it must have
    std::string m_text;
    bool m_callerId = false;
    bool m_swallowLf = false;
    Clock::time_point m_last{};
};
