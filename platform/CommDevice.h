#pragma once
// The serial port as the phone link sees it: the Win32 comm operations and
// records, so that the link's logic reads the same on every platform.
// PosixCommDevice drives a real tty; tests use an in-memory fake.

#include <cstdint>
#include <string>

#include "platform/WaitBreaker.h"

// Line settings, field for field the Win32 DCB (28 bytes there).
struct Dcb {
    uint32_t DCBlength = 28;
    uint32_t BaudRate = 0;
    uint32_t fBinary = 0;
    uint32_t fParity = 0;
    uint32_t fOutxCtsFlow = 0;
    uint32_t fOutxDsrFlow = 0;
    uint32_t fDtrControl = 0;
    uint32_t fDsrSensitivity = 0;
    uint32_t fTXContinueOnXoff = 0;
    uint32_t fOutX = 0;
    uint32_t fInX = 0;
    uint32_t fErrorChar = 0;
    uint32_t fNull = 0;
    uint32_t fRtsControl = 0;
    uint32_t fAbortOnError = 0;
    uint32_t fDummy2 = 0;  // the remaining 17 flag bits
    uint16_t wReserved = 0;
    uint16_t XonLim = 0;
    uint16_t XoffLim = 0;
    uint8_t ByteSize = 8;
    uint8_t Parity = 0;
    uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
    uint16_t wReserved1 = 0;
};

// The Win32 constants of these records, prefixed COMM_ so that they stand
// beside <windows.h> and its macros of the same names; the values are the
// Win32 API's.

// Parity
inline constexpr uint8_t COMM_NOPARITY = 0;
inline constexpr uint8_t COMM_ODDPARITY = 1;
inline constexpr uint8_t COMM_EVENPARITY = 2;
inline constexpr uint8_t COMM_MARKPARITY = 3;
inline constexpr uint8_t COMM_SPACEPARITY = 4;
// StopBits
inline constexpr uint8_t COMM_ONESTOPBIT = 0;
inline constexpr uint8_t COMM_ONE5STOPBITS = 1;
inline constexpr uint8_t COMM_TWOSTOPBITS = 2;
// fDtrControl
inline constexpr uint32_t COMM_DTR_CONTROL_DISABLE = 0;
inline constexpr uint32_t COMM_DTR_CONTROL_ENABLE = 1;
inline constexpr uint32_t COMM_DTR_CONTROL_HANDSHAKE = 2;
// fRtsControl
inline constexpr uint32_t COMM_RTS_CONTROL_DISABLE = 0;
inline constexpr uint32_t COMM_RTS_CONTROL_ENABLE = 1;
inline constexpr uint32_t COMM_RTS_CONTROL_HANDSHAKE = 2;
inline constexpr uint32_t COMM_RTS_CONTROL_TOGGLE = 3;

struct CommTimeouts {
    uint32_t ReadIntervalTimeout = 0;
    uint32_t ReadTotalTimeoutMultiplier = 0;
    uint32_t ReadTotalTimeoutConstant = 0;
    uint32_t WriteTotalTimeoutMultiplier = 0;
    uint32_t WriteTotalTimeoutConstant = 0;
};

struct ComStat {
    uint32_t fCtsHold = 0;
    uint32_t fDsrHold = 0;
    uint32_t fRlsdHold = 0;
    uint32_t fXoffHold = 0;
    uint32_t fXoffSent = 0;
    uint32_t fEof = 0;
    uint32_t fTxim = 0;
    uint32_t fReserved = 0;  // the remaining 25 flag bits
    uint32_t cbInQue = 0;
    uint32_t cbOutQue = 0;
};

// PurgeComm flags
inline constexpr uint32_t COMM_PURGE_TXABORT = 0x0001;
inline constexpr uint32_t COMM_PURGE_RXABORT = 0x0002;
inline constexpr uint32_t COMM_PURGE_TXCLEAR = 0x0004;
inline constexpr uint32_t COMM_PURGE_RXCLEAR = 0x0008;
inline constexpr uint32_t COMM_PURGE_ALL =
    COMM_PURGE_TXABORT | COMM_PURGE_RXABORT | COMM_PURGE_TXCLEAR | COMM_PURGE_RXCLEAR;

// EscapeCommFunction codes
inline constexpr uint32_t COMM_SETRTS = 3;
inline constexpr uint32_t COMM_CLRRTS = 4;
inline constexpr uint32_t COMM_SETDTR = 5;
inline constexpr uint32_t COMM_CLRDTR = 6;

// One serial port. Every operation answers true for success and false for
// failure, as the Win32 calls answer nonzero and zero.
class CommDevice {
public:
    virtual ~CommDevice() = default;

    // CreateFileA: opens the port by its name ("COM1".."COM9") for exclusive
    // read and write. Fails when the port is missing, busy, or already open.
    virtual bool Open(const std::string& portName) = 0;
    virtual bool IsOpen() const = 0;
    // CloseHandle. Fails when nothing is open.
    virtual bool Close() = 0;

    virtual bool SetupComm(uint32_t inQueue, uint32_t outQueue) = 0;
    virtual bool SetCommTimeouts(const CommTimeouts& timeouts) = 0;
    virtual bool GetCommState(Dcb& dcb) = 0;
    virtual bool SetCommState(const Dcb& dcb) = 0;
    virtual bool PurgeComm(uint32_t flags) = 0;
    virtual bool ClearCommError(uint32_t& errors, ComStat& stat) = 0;
    virtual bool EscapeCommFunction(uint32_t function) = 0;

    // ReadFile: returns within the time-outs with what arrived, possibly
    // nothing (got = 0, still success); false only on a device failure.
    virtual bool ReadFile(uint8_t* buffer, uint32_t toRead, uint32_t& got) = 0;
    // WriteFile: got the count written.
    virtual bool WriteFile(const uint8_t* buffer, uint32_t length, uint32_t& written) = 0;

    // The link's pauses (Sleep) go through the device, so that a scripted
    // line can account for them without the test waiting.
    virtual void Sleep(uint32_t milliseconds) = 0;

    // Why the last Open failed, as "<device path>: <reason>" in the words of
    // the device check ("/dev/ttyUSB0: No such device"); empty after a
    // successful Open and for devices that cannot tell.
    virtual std::string OpenFailureText() const { return {}; }
    // The system's own error behind that failure, for the communication log.
    virtual std::string OpenFailureSystemError() const { return {}; }
    // The device path the last Open went to ("" for devices that cannot tell).
    virtual std::string PortPath() const { return {}; }
    // True once a read or write found the device gone (unplugged, or the line
    // hung up), until the next successful Open. A time-out is no such thing.
    virtual bool IsGone() const { return false; }

    // Waits (reads, writes, pauses) end early when `breaker` says so: all of
    // them once it is stopped, and while yielding is on, a read that has
    // received nothing yet and a pause, once it is nudged. Null: never.
    void SetWaitBreaker(WaitBreaker* breaker) { m_breaker = breaker; }
    WaitBreaker* Breaker() const { return m_breaker; }
    void SetYielding(bool on) {
        m_yielding = on;
        if (on) m_gaveWay = false;
    }
    // True when a wait gave way to a nudge since yielding was turned on.
    bool GaveWay() const { return m_gaveWay; }

protected:
    bool StopRaised() const { return m_breaker != nullptr && m_breaker->Stopped(); }
    // Whether a wait that has received nothing may end now for a nudge.
    bool MayGiveWay() const { return m_yielding && m_breaker != nullptr && m_breaker->Nudged(); }
    bool IsYielding() const { return m_yielding && m_breaker != nullptr; }
    void NoteGaveWay() { m_gaveWay = true; }

private:
    WaitBreaker* m_breaker = nullptr;
    bool m_yielding = false;
    bool m_gaveWay = false;
};
