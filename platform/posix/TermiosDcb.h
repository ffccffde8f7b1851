#pragma once
// Translation between the Win32 line settings record and termios, kept apart
// from the device so that every mapping can be checked without a tty.

#include <termios.h>

#include <cstdint>

#include "platform/CommDevice.h"

// The termios speed code of a rate in bits per second, or B0 when the rate
// has no code of its own (it may still be set as a custom rate).
speed_t SpeedCodeForBaud(uint32_t baud);
// The rate of a speed code in bits per second; 0 for a code it does not know.
uint32_t BaudForSpeedCode(speed_t code);

// Applies the framing and flow fields of dcb (byte size, parity, parity
// checking, stop bits, RTS/CTS and XON/XOFF flow, flow characters) to t.
// Answers false and leaves t untouched when dcb asks for something a POSIX
// line cannot do or holds a value outside its field's range. The speed and
// the modem lines are the caller's.
bool ApplyDcbFraming(const Dcb& dcb, termios& t);

// Fills dcb from t. The DTR and RTS controls come from the caller (what the
// modem lines show), except that RTS/CTS flow reads as RTS handshaking. The
// fields with no termios meaning take the values a Windows driver reports
// for a port nobody has configured. The speed is the caller's.
void FillDcbFromTermios(const termios& t, uint32_t dtrControl, uint32_t rtsControl, Dcb& dcb);

// What a Windows driver reports for the fields termios has no place for.
inline constexpr uint32_t kDefaultDcbLength = 28;
inline constexpr uint16_t kDefaultXonLim = 2048;
inline constexpr uint16_t kDefaultXoffLim = 512;
inline constexpr char kDefaultEofChar = 0x1A;
