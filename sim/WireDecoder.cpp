#include "sim/WireDecoder.h"

#include "textpad/CharConvert.h"

namespace {

constexpr uint8_t kKeyHeader[] = {0xF2, 0x02, 0x01, 0x00, 0x00};
constexpr size_t kKeyMessageSize = 8;

PcMessage Simple(PcMessageKind kind, uint8_t byte = 0) {
    PcMessage m;
    m.kind = kind;
    m.byte = byte;
    return m;
}

bool IsDialCode(uint8_t byte) {
    return DialCodeToChar(byte) != 0;
}

}  // namespace

void WireDecoder::Feed(uint8_t byte, Clock::time_point now, SimCallState state,
                       std::vector<PcMessage>& out) {
    m_last = now;
    Step(byte, state, out);
}

void WireDecoder::Expire(Clock::time_point now, SimCallState state, std::vector<PcMessage>& out) {
    // Abandoning a message may leave its later bytes opening another one, which
    // is just as old: keep closing until nothing is open.
    while (m_mode != Mode::None && now - m_last >= kGapTimeout) {
        switch (m_mode) {
            case Mode::Number:
                EndNumber(out);
                break;
            case Mode::AtLine:
                EndAtLine(false, out);
                break;
            default:
                Abandon(state, out);
                break;
        }
    }
}

std::optional<WireDecoder::Clock::time_point> WireDecoder::Deadline() const {
    if (m_mode == Mode::None) return std::nullopt;
    return m_last + kGapTimeout;
}

void WireDecoder::Reset() {
    m_mode = Mode::None;
    m_pending.clear();
    m_text.clear();
    m_swallowLf = false;
}

void WireDecoder::Step(uint8_t byte, SimCallState state, std::vector<PcMessage>& out) {
    if (m_swallowLf) {
        // The LF of a CR LF line end.
        m_swallowLf = false;
        if (byte == '\n' && m_mode == Mode::None) return;
    }
    switch (m_mode) {
        case Mode::None:
            Start(byte, state, out);
            return;
        case Mode::AfterA7:
            if (byte == 0xEA || byte == 0xEB) {
                m_callerId = byte == 0xEB;
                m_text.clear();
                m_pending.clear();
                m_mode = Mode::Number;
                return;
            }
            break;
        case Mode::Number:
            if (byte == 0x86) {
                PcMessage m = Simple(PcMessageKind::Dial);
                m.text = m_text;
                m.callerId = m_callerId;
                out.push_back(m);
                Reset();
                return;
            }
            // The PC sends 0x00 in the place of a character that is no dial key.
            if ((IsDialCode(byte) || byte == 0x00) && m_text.size() < kMaxNumber) {
                m_text += byte == 0x00 ? '?' : DialCodeToChar(byte);
                return;
            }
            EndNumber(out);
            Step(byte, state, out);
            return;
        case Mode::KeyMessage:
            if (m_pending.size() >= sizeof kKeyHeader || byte == kKeyHeader[m_pending.size()]) {
                m_pending.push_back(byte);
                if (m_pending.size() == kKeyMessageSize) EmitKey(out);
                return;
            }
            break;
        case Mode::AfterA:
            if (byte == 'T') {
                m_pending.clear();
                m_text = "AT";
                m_mode = Mode::AtLine;
                return;
            }
            break;
        case Mode::AtLine:
            if (byte == '\r' || byte == '\n') {
                EndAtLine(true, out);
                m_swallowLf = byte == '\r';
                return;
            }
            if (byte >= 0x20 && byte < 0x7F && m_text.size() < kMaxAtLine) {
                m_text += static_cast<char>(byte);
                return;
            }
            EndAtLine(false, out);
            Step(byte, state, out);
            return;
        case Mode::Sequence:
            if (byte == static_cast<uint8_t>(m_expected[m_pending.size()])) {
                m_pending.push_back(byte);
                if (m_pending.size() == m_expected.size()) {
                    PcMessage m = Simple(PcMessageKind::Escape);
                    m.text = m_text;
                    out.push_back(m);
                    Reset();
                }
                return;
            }
            break;
    }
    // The byte does not continue the open message: what came so far was no
    // message, and the byte is looked at afresh.
    Abandon(state, out);
    Step(byte, state, out);
}

void WireDecoder::Start(uint8_t byte, SimCallState state, std::vector<PcMessage>& out) {
    switch (byte) {
        case 0xA7:
            if (state == SimCallState::Ringing || state == SimCallState::Held) {
                out.push_back(Simple(PcMessageKind::Connect));
                return;
            }
            m_mode = Mode::AfterA7;
            m_pending = {byte};
            return;
        case 0x82:
            out.push_back(Simple(PcMessageKind::HoldOrEnd));
            return;
        case 0xA6:
            out.push_back(Simple(PcMessageKind::HangUp));
            return;
        case 0xF2:
            m_mode = Mode::KeyMessage;
            m_pending = {byte};
            return;
        case 'A':
            m_mode = Mode::AfterA;
            m_pending = {byte};
            return;
        case '+':
            m_mode = Mode::Sequence;
            m_expected = "+++";
            m_text = "+++";
            m_pending = {byte};
            return;
        case 0x1F:
            m_mode = Mode::Sequence;
            m_expected = "\x1F\x07\x0D";
            m_text = "0x1f 0x07 0x0d";
            m_pending = {byte};
            return;
        default:
            break;
    }
    if (IsDialCode(byte)) {
        out.push_back(Simple(PcMessageKind::Digit, byte));
        return;
    }
    out.push_back(Simple(PcMessageKind::Unknown, byte));
}

void WireDecoder::Abandon(SimCallState state, std::vector<PcMessage>& out) {
    std::vector<uint8_t> rest = std::move(m_pending);
    Reset();
    if (rest.empty()) return;
    out.push_back(Simple(PcMessageKind::Unknown, rest.front()));
    for (size_t i = 1; i < rest.size(); ++i) Step(rest[i], state, out);
}

void WireDecoder::EndNumber(std::vector<PcMessage>& out) {
    PcMessage m = Simple(m_text.empty() ? PcMessageKind::OffHook : PcMessageKind::Dial);
    m.text = m_text;
    m.callerId = m_callerId;
    m.complete = m_text.empty();  // an off-hook message has no end byte
    out.push_back(m);
    Reset();
}

void WireDecoder::EndAtLine(bool complete, std::vector<PcMessage>& out) {
    PcMessage m = Simple(PcMessageKind::AtLine);
    m.text = m_text;
    m.complete = complete;
    out.push_back(m);
    Reset();
}

void WireDecoder::EmitKey(std::vector<PcMessage>& out) {
    PcMessage m = Simple(PcMessageKind::Key);
    m.keyKind = m_pending[5];
    m.code1 = m_pending[6];
    m.code2 = m_pending[7];
    out.push_back(m);
    Reset();
}
