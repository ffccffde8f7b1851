// The comm device as Windows' own serial calls. The shared header comes
// first: its constants carry the names (and values) <windows.h> defines as
// macros, which would rewrite its declarations if they came after them.
#include "platform/win32/Win32CommDevice.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>

#include "platform/win32/WaitBreakerEvents.h"

namespace {

// The system's text for an error, without the line break it ends with.
std::string SystemErrorText(DWORD error) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length != 0 && text != nullptr ? std::string(text, length) : "";
    if (text != nullptr) LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.')) {
        message.pop_back();
    }
    return message.empty() ? "error " + std::to_string(error) : message;
}

// Errors that mean the device went away (unplugged, its driver gone).
bool MeansGone(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
        case ERROR_BAD_COMMAND:
        case ERROR_DEVICE_NOT_CONNECTED:
        case ERROR_DEVICE_REMOVED:
        case ERROR_GEN_FAILURE:
        case ERROR_FILE_NOT_FOUND:
        case ERROR_INVALID_HANDLE:
            return true;
        default:
            return false;
    }
}

// A read that ran out of time: the driver completes it with what it has, and
// some report the time-out itself as the status.
bool MeansTimedOut(DWORD error) {
    return error == ERROR_TIMEOUT || error == ERROR_SEM_TIMEOUT || error == WAIT_TIMEOUT;
}

// The shared Dcb and the system's DCB, field for field.
DCB ToSystem(const Dcb& d) {
    DCB s{};
    s.DCBlength = sizeof s;
    s.BaudRate = d.BaudRate;
    s.fBinary = d.fBinary;
    s.fParity = d.fParity;
    s.fOutxCtsFlow = d.fOutxCtsFlow;
    s.fOutxDsrFlow = d.fOutxDsrFlow;
    s.fDtrControl = d.fDtrControl;
    s.fDsrSensitivity = d.fDsrSensitivity;
    s.fTXContinueOnXoff = d.fTXContinueOnXoff;
    s.fOutX = d.fOutX;
    s.fInX = d.fInX;
    s.fErrorChar = d.fErrorChar;
    s.fNull = d.fNull;
    s.fRtsControl = d.fRtsControl;
    s.fAbortOnError = d.fAbortOnError;
    s.fDummy2 = d.fDummy2;
    s.wReserved = d.wReserved;
    s.XonLim = d.XonLim;
    s.XoffLim = d.XoffLim;
    s.ByteSize = d.ByteSize;
    s.Parity = d.Parity;
    s.StopBits = d.StopBits;
    s.XonChar = d.XonChar;
    s.XoffChar = d.XoffChar;
    s.ErrorChar = d.ErrorChar;
    s.EofChar = d.EofChar;
    s.EvtChar = d.EvtChar;
    s.wReserved1 = d.wReserved1;
    return s;
}

Dcb FromSystem(const DCB& s) {
    Dcb d;
    d.DCBlength = s.DCBlength;
    d.BaudRate = s.BaudRate;
    d.fBinary = s.fBinary;
    d.fParity = s.fParity;
    d.fOutxCtsFlow = s.fOutxCtsFlow;
    d.fOutxDsrFlow = s.fOutxDsrFlow;
    d.fDtrControl = s.fDtrControl;
    d.fDsrSensitivity = s.fDsrSensitivity;
    d.fTXContinueOnXoff = s.fTXContinueOnXoff;
    d.fOutX = s.fOutX;
    d.fInX = s.fInX;
    d.fErrorChar = s.fErrorChar;
    d.fNull = s.fNull;
    d.fRtsControl = s.fRtsControl;
    d.fAbortOnError = s.fAbortOnError;
    d.fDummy2 = s.fDummy2;
    d.wReserved = s.wReserved;
    d.XonLim = s.XonLim;
    d.XoffLim = s.XoffLim;
    d.ByteSize = s.ByteSize;
    d.Parity = s.Parity;
    d.StopBits = s.StopBits;
    d.XonChar = s.XonChar;
    d.XoffChar = s.XoffChar;
    d.ErrorChar = s.ErrorChar;
    d.EofChar = s.EofChar;
    d.EvtChar = s.EvtChar;
    d.wReserved1 = s.wReserved1;
    return d;
}

}  // namespace

Win32CommDevice::~Win32CommDevice() {
    Close();
}

bool Win32CommDevice::Open(const std::string& portName) {
    if (m_open) return false;
    // The device namespace reaches COM10 and above too.
    const std::string path = "\\\\.\\" + portName;
    HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    m_path = portName;
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        m_openFailure = portName + ": " + SystemErrorText(error);
        m_openSystemError = SystemErrorText(error) + " (error " + std::to_string(error) + ")";
        return false;
    }
    m_handle = handle;
    m_open = true;
    m_gone = false;
    m_openFailure.clear();
    m_openSystemError.clear();
    return true;
}

bool Win32CommDevice::IsOpen() const {
    return m_open;
}

bool Win32CommDevice::Close() {
    if (!m_open) return false;
    CloseHandle(m_handle);
    m_handle = nullptr;
    m_open = false;
    return true;
}

bool Win32CommDevice::SetupComm(uint32_t inQueue, uint32_t outQueue) {
    return m_open && ::SetupComm(m_handle, inQueue, outQueue) != 0;
}

bool Win32CommDevice::SetCommTimeouts(const CommTimeouts& t) {
    if (!m_open) return false;
    COMMTIMEOUTS s{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                   t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
    if (::SetCommTimeouts(m_handle, &s) == 0) return false;
    m_timeouts = t;
    return true;
}

bool Win32CommDevice::GetCommState(Dcb& dcb) {
    if (!m_open) return false;
    DCB s{};
    s.DCBlength = sizeof s;
    if (::GetCommState(m_handle, &s) == 0) return false;
    dcb = FromSystem(s);
    return true;
}

bool Win32CommDevice::SetCommState(const Dcb& dcb) {
    if (!m_open) return false;
    DCB s = ToSystem(dcb);
    if (::SetCommState(m_handle, &s) != 0) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_INVALID_PARAMETER || s.Parity == NOPARITY) return false;
    // A pseudo-terminal keeps no parity bit; opened again with the same
    // settings, asking for parity alone is no change it can make, and Wine
    // passes on its refusal. Through no parity first the request is a real
    // change. A driver that truly refuses these settings refuses them again.
    DCB plain = s;
    plain.Parity = NOPARITY;
    if (::SetCommState(m_handle, &plain) == 0 || ::SetCommState(m_handle, &s) == 0) {
        SetLastError(error);
        return false;
    }
    return true;
}

bool Win32CommDevice::PurgeComm(uint32_t flags) {
    return m_open && ::PurgeComm(m_handle, flags) != 0;
}

bool Win32CommDevice::ClearCommError(uint32_t& errors, ComStat& stat) {
    if (!m_open) return false;
    DWORD e = 0;
    COMSTAT s{};
    if (::ClearCommError(m_handle, &e, &s) == 0) return false;
    errors = e;
    stat = ComStat{};
    stat.fCtsHold = s.fCtsHold;
    stat.fDsrHold = s.fDsrHold;
    stat.fRlsdHold = s.fRlsdHold;
    stat.fXoffHold = s.fXoffHold;
    stat.fXoffSent = s.fXoffSent;
    stat.fEof = s.fEof;
    stat.fTxim = s.fTxim;
    stat.fReserved = s.fReserved;
    stat.cbInQue = s.cbInQue;
    stat.cbOutQue = s.cbOutQue;
    return true;
}

bool Win32CommDevice::EscapeCommFunction(uint32_t function) {
    return m_open && ::EscapeCommFunction(m_handle, function) != 0;
}

bool Win32CommDevice::ReadFile(uint8_t* buffer, uint32_t toRead, uint32_t& got) {
    got = 0;
    if (!m_open || m_gone || (buffer == nullptr && toRead != 0)) return false;
    if (toRead == 0) return true;
    if (m_timeouts.ReadIntervalTimeout == MAXDWORD && m_timeouts.ReadTotalTimeoutMultiplier == 0 &&
        m_timeouts.ReadTotalTimeoutConstant == 0) {
        // Windows hands out what is queued at once, even nothing; an
        // overlapped read of that kind can stay pending elsewhere (Wine), so
        // only what the queue holds is asked for.
        DWORD errors = 0;
        COMSTAT stat{};
        if (::ClearCommError(m_handle, &errors, &stat) == 0) return FailIo(GetLastError());
        if (stat.cbInQue == 0) return true;
        toRead = std::min<uint32_t>(toRead, stat.cbInQue);
    }
    return Overlapped(Transfer::Read, buffer, toRead, got);
}

bool Win32CommDevice::WriteFile(const uint8_t* buffer, uint32_t length, uint32_t& written) {
    written = 0;
    if (!m_open || m_gone || (buffer == nullptr && length != 0)) return false;
    if (length == 0) return true;
    return Overlapped(Transfer::Write, const_cast<uint8_t*>(buffer), length, written);
}

bool Win32CommDevice::Overlapped(Transfer kind, void* buffer, uint32_t length, uint32_t& done) {
    done = 0;
    if (StopRaised()) return true;
    OVERLAPPED ov{};
    ov.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (ov.hEvent == nullptr) return false;
    const BOOL started = kind == Transfer::Read
                             ? ::ReadFile(m_handle, buffer, length, nullptr, &ov)
                             : ::WriteFile(m_handle, buffer, length, nullptr, &ov);
    if (started == 0 && GetLastError() != ERROR_IO_PENDING) {
        const DWORD error = GetLastError();
        CloseHandle(ov.hEvent);
        return MeansTimedOut(error) ? true : FailIo(error);
    }

    // The transfer's own event, the stop and, for a read that may give way,
    // the nudge.
    HANDLE waits[3] = {ov.hEvent, nullptr, nullptr};
    DWORD count = 1;
    if (Breaker() != nullptr && StopEventOf(*Breaker()) != nullptr) {
        waits[count++] = StopEventOf(*Breaker());
    }
    const bool mayYield =
        kind == Transfer::Read && IsYielding() && NudgeEventOf(*Breaker()) != nullptr;
    if (mayYield) waits[count++] = NudgeEventOf(*Breaker());
    // "Wait up to N for the first byte" (MAXDWORD/MAXDWORD/N) is bounded here
    // as well: not every driver ends such a read (Wine's leaves it pending).
    DWORD bound = INFINITE;
    if (kind == Transfer::Read && m_timeouts.ReadIntervalTimeout == MAXDWORD &&
        m_timeouts.ReadTotalTimeoutMultiplier == MAXDWORD &&
        m_timeouts.ReadTotalTimeoutConstant != 0 &&
        m_timeouts.ReadTotalTimeoutConstant != MAXDWORD) {
        bound = m_timeouts.ReadTotalTimeoutConstant;
    }
    const DWORD woke = WaitForMultipleObjects(count, waits, FALSE, bound);
    const bool broken = woke != WAIT_OBJECT_0;
    if (broken) CancelIoEx(m_handle, &ov);

    DWORD moved = 0;
    const BOOL finished = GetOverlappedResult(m_handle, &ov, &moved, TRUE);
    const DWORD error = finished ? ERROR_SUCCESS : GetLastError();
    CloseHandle(ov.hEvent);
    done = moved;
    if (broken && woke != WAIT_TIMEOUT && done == 0 && !StopRaised() && mayYield && MayGiveWay()) {
        NoteGaveWay();
    }
    if (finished || MeansTimedOut(error)) return true;
    // A transfer cut short by the breaker hands out what it moved.
    if (broken && error == ERROR_OPERATION_ABORTED) return true;
    return done > 0 ? (FailIo(error), true) : FailIo(error);
}

bool Win32CommDevice::FailIo(unsigned long error) {
    if (MeansGone(error)) m_gone = true;
    return false;
}

void Win32CommDevice::Sleep(uint32_t milliseconds) {
    HANDLE waits[2] = {nullptr, nullptr};
    DWORD count = 0;
    if (Breaker() != nullptr) {
        if (StopEventOf(*Breaker()) != nullptr) waits[count++] = StopEventOf(*Breaker());
        if (IsYielding() && NudgeEventOf(*Breaker()) != nullptr) {
            waits[count++] = NudgeEventOf(*Breaker());
        }
    }
    if (count == 0) {
        ::Sleep(milliseconds);
        return;
    }
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        const DWORD woke =
            WaitForMultipleObjects(count, waits, FALSE, static_cast<DWORD>(end - now));
        if (woke == WAIT_TIMEOUT || woke == WAIT_FAILED) return;
        if (StopRaised()) return;
        if (MayGiveWay()) {
            NoteGaveWay();
            return;
        }
    }
}
