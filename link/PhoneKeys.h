#pragma once
// The names of the phone's keys as the control pad hands them to SendKey,
// and their codes on the wire.

#include <cstdint>
#include <string_view>

inline constexpr std::string_view CONTROL_UP = "CONTROL_UP";
inline constexpr std::string_view CONTROL_DOWN = "CONTROL_DOWN";
inline constexpr std::string_view CONTROL_LEFT = "CONTROL_LEFT";
inline constexpr std::string_view CONTROL_RIGHT = "CONTROL_RIGHT";
inline constexpr std::string_view CONTROL_1 = "CONTROL_1";
inline constexpr std::string_view CONTROL_2 = "CONTROL_2";
inline constexpr std::string_view CONTROL_3 = "CONTROL_3";
inline constexpr std::string_view CONTROL_4 = "CONTROL_4";
inline constexpr std::string_view CONTROL_5 = "CONTROL_5";
inline constexpr std::string_view CONTROL_6 = "CONTROL_6";
inline constexpr std::string_view CONTROL_7 = "CONTROL_7";
inline constexpr std::string_view CONTROL_8 = "CONTROL_8";
inline constexpr std::string_view CONTROL_9 = "CONTROL_9";
inline constexpr std::string_view CONTROL_0 = "CONTROL_0";
inline constexpr std::string_view CONTROL_AS = "CONTROL_AS";
inline constexpr std::string_view CONTROL_SH = "CONTROL_SH";
inline constexpr std::string_view CONTROL_ONHOOK = "CONTROL_ONHOOK";
inline constexpr std::string_view CONTROL_OFFHOOK = "CONTROL_OFFHOOK";
inline constexpr std::string_view CONTROL_I1 = "CONTROL_I1";
inline constexpr std::string_view CONTROL_I2 = "CONTROL_I2";
inline constexpr std::string_view CONTROL_I3 = "CONTROL_I3";
inline constexpr std::string_view CONTROL_I4 = "CONTROL_I4";
inline constexpr std::string_view CONTROL_I5 = "CONTROL_I5";
// Appended directly to a key name for a long press.
inline constexpr std::string_view CONTROL_PUSH_LONG = "CONTROL_PUSH_LONG";

struct PhoneKey {
    std::string_view name;
    uint8_t KeyGroup;
    uint8_t KeyNumber;
};

// Every key name except CONTROL_PUSH_LONG, with its code pair.
extern const PhoneKey PhoneKeyTable[23];

// KeyKind byte of the 8-byte key message.
enum KeyKind : uint8_t {
    KEY_KIND_NARROW_CHAR = 1,
    KEY_KIND_WIDE_CHAR = 2,
    KEY_KIND_PRESS = 3,
    KEY_KIND_LONG_PRESS = 9,
};
