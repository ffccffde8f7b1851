#pragma once
// One message the PC sent to the phone, as the wire decoder recognised it.

#include <cstdint>
#include <string>

enum class PcMessageKind {
    Dial,       // 0xA7, caller-ID byte, dial codes, 0x86
    OffHook,    // 0xA7 and the caller-ID byte alone
    Connect,    // a lone 0xA7 while ringing or held: answer or resume
    HoldOrEnd,  // 0x82: hold, or end a held call
    HangUp,     // 0xA6
    Digit,      // one dial code outside a dial message
    Key,        // the 8-byte key message: a key press or a character
    AtLine,     // a handshake line such as "AT%Z"
    Escape,     // "+++" or 0x1F 0x07 0x0D, sent by a closing PC
    Unknown,    // a byte that starts no message
};

struct PcMessage {
    PcMessageKind kind = PcMessageKind::Unknown;
    // Dial: the digits ('?' for a code that is no dial key); AtLine: the line
    // without its end; Escape: what was sent.
    std::string text;
    bool callerId = false;  // Dial, OffHook: 0xEB rather than 0xEA
    bool complete = true;   // Dial: ended by 0x86; AtLine: ended by CR or LF
    uint8_t keyKind = 0;    // Key: the kind byte and the two code bytes
    uint8_t code1 = 0;
    uint8_t code2 = 0;
    uint8_t byte = 0;  // Digit: the dial code; Unknown: the byte
};
