#pragma once
// The texts of the handset's status display, as code page 932 bytes.

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>

// The call states of the handset window.
enum CallState : int {
    CALL_IDLE = 0,
    CALL_OFFHOOK = 1,
    CALL_SENDING = 2,
    CALL_RECEIVING = 3,
    CALL_ONLINE = 4,
    CALL_HOLDING = 5,
};

// The signal level text for the phone's status byte: up to four asterisks for
// 0xC0..0xCF, "No Service", "No Connection" (also nothing received), or empty.
std::string SignalText(uint8_t status);

// The number line when the phone ended a connected call. The backslash is the
// byte 0x5C, which the display shows as the yen sign.
std::string PhoneEndedChargeText(int charge);
// The same when the user ended it (the missing-charge value reads differently).
std::string UserEndedChargeText(int charge);

// The local time shown by the idle clock; tests fix it.
using ClockSource = std::function<std::tm()>;

// The idle clock: "%m/%d(%a) %H:%M" with the English weekday name, whatever
// the locale.
std::string ClockText(const std::tm& local);
