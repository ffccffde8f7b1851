#include "sim/SimPhone.h"

#include <cstdio>

#include "sim/CellNames.h"
#include "textpad/CharConvert.h"

namespace {

using State = SimCallState;

constexpr uint8_t kSignalStatus[5] = {0xC0, 0xC4, 0xC8, 0xCC, 0xCF};
constexpr uint8_t kNoServiceStatus = 0x81;

std::string Hex(uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02x", byte);
    return text;
}

std::string NotNow(std::string_view command, State state) {
    return "error: " + std::string(command) + ": not possible while " +
           std::string(SimCallStateName(state));
}

std::vector<uint8_t> DialCodes(std::string_view digits) {
    std::vector<uint8_t> codes;
    for (size_t i = 0; i < digits.size(); ++i) codes.push_back(DialCharToCode(digits.substr(i)));
    return codes;
}

std::string DescribeKey(const PcMessage& m) {
    const std::string cell = "(" + std::to_string(m.code1) + "," + std::to_string(m.code2) + ")";
    switch (m.keyKind) {
        case 1:
        case 2: {
            std::string character = CellCharacter({m.code1, m.code2}, m.keyKind == 2);
            if (character.empty()) character = "(none)";
            return "<- CHAR " + character + (m.keyKind == 2 ? " wide " : " narrow ") + cell;
        }
        case 3:
        case 9: {
            std::string name(KeyNameOf(m.code1, m.code2));
            if (name.empty()) name = cell;
            return "<- KEY " + name + (m.keyKind == 9 ? " long" : "");
        }
        default:
            return "<- KEY kind=" + std::to_string(m.keyKind) + " " + cell;
    }
}

}  // namespace

std::string HexBytes(const std::vector<uint8_t>& bytes) {
    std::string text;
    char pair[4];
    for (uint8_t b : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", b);
        if (!text.empty()) text += ' ';
        text += pair;
    }
    return text;
}

std::string DescribePcMessage(const PcMessage& m, SimCallState state) {
    const std::string callerId = m.callerId ? " caller-id=on" : " caller-id=off";
    const std::string cut = m.complete ? "" : " (unterminated)";
    switch (m.kind) {
        case PcMessageKind::Dial:
            return "<- DIAL " + m.text + callerId + cut;
        case PcMessageKind::OffHook:
            return "<- OFFHOOK" + callerId;
        case PcMessageKind::Connect:
            return state == State::Held ? "<- RESUME" : "<- ANSWER";
        case PcMessageKind::HoldOrEnd:
            return state == State::Held ? "<- END-HELD" : "<- HOLD";
        case PcMessageKind::HangUp:
            return "<- HANGUP";
        case PcMessageKind::Digit:
            return std::string("<- DIGIT ") + DialCodeToChar(m.byte);
        case PcMessageKind::Key:
            return DescribeKey(m);
        case PcMessageKind::AtLine:
            return "<- AT " + m.text + cut;
        case PcMessageKind::Escape:
            return "<- ESCAPE " + m.text;
        case PcMessageKind::Unknown:
            break;
    }
    return "<- ?? " + Hex(m.byte);
}

std::optional<uint8_t> SimPhone::StatusByte() const {
    if (m_silent || (m_state != State::Idle && m_state != State::OnLine)) return std::nullopt;
    return CurrentStatus();
}

uint8_t SimPhone::CurrentStatus() const {
    return m_noService ? kNoServiceStatus : kSignalStatus[m_signal];
}

void SimPhone::ReportStatusNow(SimOutcome& outcome) const {
    if (auto status = StatusByte()) outcome.sends.push_back({{*status}, 0});
}

std::vector<uint8_t> SimPhone::ChargeReport(int64_t charge, bool withBlock3) const {
    std::vector<uint8_t> bytes = {0xA6, 0xE2};
    for (uint8_t code : DialCodes(std::to_string(charge))) bytes.push_back(code);
    bytes.push_back(0xAA);
    if (withBlock3) {
        bytes.push_back(0xE1);
        bytes.insert(bytes.end(), std::begin(kBlock3), std::end(kBlock3));
    }
    bytes.push_back(0xE7);
    bytes.insert(bytes.end(), std::begin(kBlock2), std::end(kBlock2));
    return bytes;
}

SimOutcome SimPhone::Apply(const SimCommand& command) {
    SimOutcome out;
    auto send = [&out](std::vector<uint8_t> bytes) { out.sends.push_back({std::move(bytes), 0}); };
    auto refuse = [&](std::string_view name) { out.lines.push_back(NotNow(name, m_state)); };

    switch (command.kind) {
        case SimCommandKind::Ring:
        case SimCommandKind::RingHidden: {
            const bool hidden = command.kind == SimCommandKind::RingHidden;
            if (m_state != State::Idle) {
                refuse(hidden ? "ring-hidden" : "ring");
                break;
            }
            // Without a number the byte after 0xA5 is anything but 0xE0.
            std::vector<uint8_t> bytes = {0xA5, static_cast<uint8_t>(hidden ? 0xE3 : 0xE0)};
            if (!hidden) {
                for (uint8_t code : DialCodes(command.text)) bytes.push_back(code);
                bytes.push_back(0xAA);
            }
            send(bytes);
            m_state = State::Ringing;
            break;
        }
        case SimCommandKind::OffHook:
            if (m_state != State::Idle) {
                refuse("offhook");
                break;
            }
            send({0x21});
            m_state = State::OffHook;
            break;
        case SimCommandKind::Dialing:
            if (m_state != State::Idle && m_state != State::OffHook) {
                refuse("dialing");
                break;
            }
            send({0x26});
            m_state = State::Placing;
            break;
        case SimCommandKind::Answer:
            if (m_state == State::Placing) {
                send({0xA7});
            } else if (m_state == State::Ringing) {
                send({0xA4, 0xA7});
            } else {
                refuse("answer");
                break;
            }
            m_state = State::OnLine;
            break;
        case SimCommandKind::Hold:
            if (m_state == State::Ringing) {
                send({0xA4, 0x83});
            } else if (m_state == State::OnLine) {
                send({0x83});
            } else {
                refuse("hold");
                break;
            }
            m_state = State::Held;
            break;
        case SimCommandKind::Resume:
            if (m_state != State::Held) {
                refuse("resume");
                break;
            }
            send({0x82, 0xA7});
            m_state = State::OnLine;
            break;
        case SimCommandKind::HangUp:
            switch (m_state) {
                case State::OnLine:
                    send(ChargeReport(command.value >= 0 ? command.value : m_charge, true));
                    break;
                case State::Placing:
                    send({0xA6});
                    break;
                case State::Ringing:
                    send({0xA4, 0xA6});
                    break;
                case State::Held:
                    send({0x82, 0xA6});
                    break;
                case State::OffHook:
                    // A space followed by anything but '&' ends the off-hook state.
                    send({0x20, 0xA6});
                    break;
                case State::Idle:
                    refuse("hangup");
                    return out;
            }
            m_state = State::Idle;
            break;
        case SimCommandKind::NoCharge:
            if (m_state != State::OnLine) {
                refuse("nocharge");
                break;
            }
            send({0xA6});
            m_state = State::Idle;
            break;
        case SimCommandKind::Charge:
            m_charge = command.value;
            break;
        case SimCommandKind::Signal:
            m_signal = static_cast<int>(command.value);
            m_noService = false;
            m_silent = false;
            ReportStatusNow(out);
            break;
        case SimCommandKind::NoService:
            m_noService = true;
            m_silent = false;
            ReportStatusNow(out);
            break;
        case SimCommandKind::Silent:
            m_silent = true;
            break;
        case SimCommandKind::Send:
            send(command.bytes);
            break;
        case SimCommandKind::State:
            out.lines.push_back("state: " + std::string(SimCallStateName(m_state)));
            break;
        case SimCommandKind::Help:
            for (const char* const* line = kSimCommandHelp; *line != nullptr; ++line) {
                out.lines.push_back(*line);
            }
            break;
        case SimCommandKind::Sleep:
        case SimCommandKind::Expect:
        case SimCommandKind::Stay:
        case SimCommandKind::Unplug:
        case SimCommandKind::Replug:
        case SimCommandKind::Quit:
            break;
    }
    return out;
}

SimOutcome SimPhone::Receive(const PcMessage& m) {
    SimOutcome out;
    out.lines.push_back(DescribePcMessage(m, m_state));
    auto reply = [&out](std::vector<uint8_t> bytes, int delayMs = 0) {
        out.sends.push_back({std::move(bytes), delayMs});
    };

    switch (m.kind) {
        case PcMessageKind::Dial:
            if (m_state == State::Idle || m_state == State::OffHook) {
                // The phone places the call and says so, which moves the PC on
                // to "Sending...".
                if (!m_silent) reply({0x26}, kReportDelayMs);
                m_state = State::Placing;
            }
            break;
        case PcMessageKind::OffHook:
            if (m_state == State::Idle) {
                if (!m_silent) reply({0x21}, kReportDelayMs);
                m_state = State::OffHook;
            }
            break;
        case PcMessageKind::Connect:
            if (m_state == State::Ringing) {
                reply({0xAF});
                m_state = State::OnLine;
            } else if (m_state == State::Held) {
                reply({0xA7});
                m_state = State::OnLine;
            }
            break;
        case PcMessageKind::HoldOrEnd:
            if (m_state == State::Ringing || m_state == State::OnLine) {
                reply({0x83});
                m_state = State::Held;
            } else if (m_state == State::Held) {
                reply({0x82});
                m_state = State::Idle;
            }
            break;
        case PcMessageKind::HangUp:
            switch (m_state) {
                case State::Idle:
                    // The PC sends this at start-up; there is nothing to end.
                    break;
                case State::OnLine:
                case State::Held:
                    reply(ChargeReport(m_charge, false));
                    break;
                case State::Ringing:
                    reply({0xA4, 0xA6});
                    break;
                case State::OffHook:
                case State::Placing:
                    reply({0xA6});
                    break;
            }
            m_state = State::Idle;
            break;
        case PcMessageKind::AtLine:
            if (!m.complete) break;
            if ((m_cable == 2 || m_cable == 5 || m_cable == 6) && m.text == "AT%Z") {
                reply({'\r', '\n', 'C', 'T', '\r', '\n'});
            } else if (m_cable == 7 && m.text == "AT") {
                reply({'\r', '\n', 'O', 'K', '\r', '\n'});
            }
            break;
        case PcMessageKind::Digit:
        case PcMessageKind::Key:
        case PcMessageKind::Escape:
        case PcMessageKind::Unknown:
            break;
    }
    return out;
}
