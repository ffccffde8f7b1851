// The phone's byte protocol: call commands, the polls of the monitoring
// cycle, and remote key presses. Replies are recognised by value alone.

#include <algorithm>
#include <cstring>

#include "link/PhoneKeys.h"
#include "link/PhoneLink.h"
#include "textpad/CharConvert.h"

namespace {

// Bytes on the wire.
constexpr uint8_t MSG_CONNECT = 0xA7;  // dial, answer, resume; "connected" from the phone
constexpr uint8_t MSG_HOLD = 0x82;     // hold, end held call; "held" prefix from the phone
constexpr uint8_t MSG_HANG_UP = 0xA6;  // hang up; "call ended" from the phone
constexpr uint8_t CALLER_ID_ON = 0xEB;
constexpr uint8_t CALLER_ID_OFF = 0xEA;
constexpr uint8_t DIAL_END = 0x86;
constexpr uint8_t INCOMING_CALL = 0xA5;
constexpr uint8_t NUMBER_FOLLOWS = 0xE0;
constexpr uint8_t FIELD_END = 0xAA;
constexpr uint8_t OFF_HOOK = 0x21;
constexpr uint8_t PLACING_CALL = 0x26;
constexpr uint8_t OFF_HOOK_CHANGE = 0x20;
constexpr uint8_t SENDING_ENDED = 0xE7;
constexpr uint8_t CHARGE_MARKER = 0xE2;
constexpr uint8_t BLOCK3_MARKER = 0xE1;
constexpr uint8_t BLOCK2_MARKER = 0xE7;
constexpr uint8_t RINGING_PREFIX = 0xA4;
constexpr uint8_t HELD = 0x83;
constexpr uint8_t ANSWERED = 0xAF;

constexpr int REPLY_TRIES = 4;
constexpr size_t MAX_DIAL_DIGITS = 37;
constexpr size_t DIAL_MESSAGE_SIZE = MAX_DIAL_DIGITS + 3;
// The number and its two terminating zeros fill the caller's 40 bytes.
constexpr int MAX_CALLER_DIGITS = IDLE_BUFFER_SIZE - 2;
// Nine decimal digits always fit an int.
constexpr int MAX_CHARGE_DIGITS = 9;

constexpr size_t KEY_MESSAGE_SIZE = 8;

}  // namespace

void CPhoneLink::Dial(std::string_view number) {
    uint8_t message[DIAL_MESSAGE_SIZE];
    size_t length = 0;
    message[length++] = MSG_CONNECT;
    message[length++] = m_numdisp ? CALLER_ID_ON : CALLER_ID_OFF;
    if (!number.empty()) {
        for (char c : number.substr(0, MAX_DIAL_DIGITS))
            message[length++] = DialCharToCode(std::string_view(&c, 1));
        message[length++] = DIAL_END;
    }
    ClearBuf(0);
    CommWrite(message, static_cast<uint32_t>(length));
}

void CPhoneLink::SendDigit(std::string_view key) {
    const uint8_t code = DialCharToCode(key);
    CommWrite(&code, 1);
}

int CPhoneLink::Answer() {
    const uint8_t message = MSG_CONNECT;
    CommWrite(&message, 1);
    return WaitData(ANSWERED, 0, REPLY_TRIES, 1);
}

int CPhoneLink::HoldCall() {
    const uint8_t message = MSG_HOLD;
    CommWrite(&message, 1);
    return WaitData(HELD, 0, REPLY_TRIES, 1);
}

int CPhoneLink::EndHeldCall() {
    const uint8_t message = MSG_HOLD;
    CommWrite(&message, 1);
    return WaitData(MSG_HOLD, 0, REPLY_TRIES, 1);
}

int CPhoneLink::ResumeCall() {
    const uint8_t message = MSG_CONNECT;
    CommWrite(&message, 1);
    return WaitData(MSG_CONNECT, 0, REPLY_TRIES, 1);
}

template <class Take>
bool CPhoneLink::ReadField(Take take) {
    uint8_t b = 0;
    for (int read = 0; read < MAX_FIELD_BYTES; ++read) {
        if (!FetchByte(0, 1, b)) return false;
        if (b == FIELD_END) return true;
        take(b);
    }
    return false;
}

int CPhoneLink::ReadChargeDigits() {
    // The field is read to its end, so that what follows it is read as the
    // phone meant it. A stray byte is skipped but counts against the
    // digits, so it can neither turn the charge negative nor push it out of
    // range; a field without its end within them tells no charge at all.
    int value = 0;
    int read = 0;
    const bool ended = ReadField([&](uint8_t b) {
        if (++read > MAX_CHARGE_DIGITS) return;
        const char digit = DialCodeToChar(b);
        // '*' and '#' are dial codes too, but no part of a charge.
        if (digit >= '0' && digit <= '9') value = value * 10 + (digit - '0');
    });
    return ended && read <= MAX_CHARGE_DIGITS ? value : NO_CHARGE;
}

int CPhoneLink::HangUp(int* charge, uint8_t* block2) {
    const uint8_t message = MSG_HANG_UP;
    CommWrite(&message, 1);
    if (charge != nullptr) {
        WaitDataV(0, REPLY_TRIES, 1, {MSG_HANG_UP, RINGING_PREFIX});
        *charge = NO_CHARGE;
        if (WaitData(CHARGE_MARKER, 0, REPLY_TRIES, 2)) *charge = ReadChargeDigits();
    }
    if (block2 != nullptr) {
        if (WaitData(BLOCK2_MARKER, 0, REPLY_TRIES, 1)) {
            block2[0] = CommReadByte(0, 1);
            block2[1] = CommReadByte(0, 1);
        } else {
            block2[0] = block2[1] = 0;
        }
    }
    return 1;
}

int CPhoneLink::PollIdle(char* buffer) {
    uint8_t b = 0;
    if (!FirstPollByte(b)) return POLL_GAVE_WAY;
    buffer[0] = static_cast<char>(b);
    if (b == INCOMING_CALL) {
        int length = 0;
        if (CommReadByte(0, 1) == NUMBER_FOLLOWS) {
            // Stray bytes are skipped. The field is read to its end even when
            // it holds more than the buffer: the characters beyond are
            // dropped instead of being taken for the phone's next messages.
            ReadField([&](uint8_t code) {
                const char key = DialCodeToChar(code);
                if (key != '\0' && length < MAX_CALLER_DIGITS) buffer[length++] = key;
            });
        }
        buffer[length] = '\0';
        buffer[length + 1] = '\0';
        return 1;
    }
    if (b == OFF_HOOK) return 3;
    if (b == PLACING_CALL) return 2;
    return 0;
}

int CPhoneLink::PollOffHook() {
    uint8_t b = 0;
    if (!FirstPollByte(b)) return POLL_GAVE_WAY;
    if (b == PLACING_CALL) return 1;
    if (b == OFF_HOOK_CHANGE) return CommReadByte(0, 1) == PLACING_CALL ? 1 : 2;
    return 0;
}

int CPhoneLink::PollSending() {
    uint8_t b = 0;
    if (!FirstPollByte(b)) return POLL_GAVE_WAY;
    if (b == MSG_CONNECT) return 1;
    if (b == MSG_HANG_UP || b == SENDING_ENDED) return 2;
    return 0;
}

int CPhoneLink::PollRinging() {
    uint8_t b = 0;
    if (!FirstPollByte(b)) return POLL_GAVE_WAY;
    if (b == RINGING_PREFIX) {
        b = CommReadByte(0, 1);
        if (b == MSG_CONNECT) return 2;
        if (b == HELD) return 3;
        return 1;
    }
    if (b == MSG_CONNECT) return 2;
    if (b == HELD) return 3;
    return 0;
}

int CPhoneLink::PollHolding() {
    uint8_t b = 0;
    if (!FirstPollByte(b)) return POLL_GAVE_WAY;
    if (b == MSG_HOLD) return CommReadByte(0, 1) == MSG_CONNECT ? 3 : 1;
    if (b == MSG_CONNECT) return 3;
    return 0;
}

int CPhoneLink::PollOnLine(int* charge, uint8_t* block3, uint8_t* block2) {
    uint8_t b = 0;
    if (!FirstPollByte(b)) return POLL_GAVE_WAY;
    if (b != MSG_HANG_UP) {
        // A status byte (signal level, out of service, nothing).
        if (block3 != nullptr) block3[0] = b;
        if (block2 != nullptr) block2[0] = b;
        return 0;
    }
    if (charge != nullptr)
        *charge = WaitData(CHARGE_MARKER, 0, REPLY_TRIES, 1) ? ReadChargeDigits() : -1;
    if (block3 != nullptr) {
        if (WaitData(BLOCK3_MARKER, 0, REPLY_TRIES, 1)) {
            for (int i = 0; i < 3; ++i) block3[i] = CommReadByte(0, 1);
        } else {
            std::memset(block3, 0, 3);
        }
    }
    if (block2 != nullptr) {
        if (WaitData(BLOCK2_MARKER, 0, REPLY_TRIES, 1)) {
            for (int i = 0; i < 2; ++i) block2[i] = CommReadByte(0, 1);
        } else {
            std::memset(block2, 0, 2);
        }
    }
    return 1;
}

void CPhoneLink::SendKey(std::string_view text) {
    uint8_t message[KEY_MESSAGE_SIZE] = {0xF2, 0x02, 0x01, 0x00, 0x00, 0, 0, 0};
    CharPos pos;
    if (text.empty()) return;
    if (text.size() == 1) {
        if (!ConvertNarrowChar(static_cast<uint8_t>(text[0]), pos)) return;
        message[5] = KEY_KIND_NARROW_CHAR;
        message[6] = pos.row;
        message[7] = pos.column;
    } else if (text.size() == 2) {
        if (!ConvertWideChar(static_cast<uint8_t>(text[0]), static_cast<uint8_t>(text[1]), pos))
            return;
        message[5] = KEY_KIND_WIDE_CHAR;
        message[6] = pos.row;
        message[7] = pos.column;
    } else {
        std::string_view name = text;
        message[5] = KEY_KIND_PRESS;
        if (name.find(CONTROL_PUSH_LONG) != std::string_view::npos) {
            // Callers append the suffix; the name is what comes before it.
            name.remove_suffix(CONTROL_PUSH_LONG.size());
            message[5] = KEY_KIND_LONG_PRESS;
        }
        const auto* key = std::find_if(std::begin(PhoneKeyTable), std::end(PhoneKeyTable),
                                       [&](const PhoneKey& k) { return k.name == name; });
        // A name the phone has no key for presses nothing.
        if (key == std::end(PhoneKeyTable)) return;
        message[6] = key->KeyGroup;
        message[7] = key->KeyNumber;
    }
    CommWrite(message, KEY_MESSAGE_SIZE);
}
