#pragma once
// The comm device on Windows: the serial API itself, with overlapped reads
// and writes so that the wait breaker ends a wait at once.

#include <string>

#include "platform/CommDevice.h"

class Win32CommDevice final : public CommDevice {
public:
    Win32CommDevice() = default;
    ~Win32CommDevice() override;
    Win32CommDevice(const Win32CommDevice&) = delete;
    Win32CommDevice& operator=(const Win32CommDevice&) = delete;

    // "COM1".."COM9" (any name CreateFileA takes after "\\.\").
    bool Open(const std::string& portName) override;
    bool IsOpen() const override;
    bool Close() override;
    bool SetupComm(uint32_t inQueue, uint32_t outQueue) override;
    bool SetCommTimeouts(const CommTimeouts& timeouts) override;
    bool GetCommState(Dcb& dcb) override;
    bool SetCommState(const Dcb& dcb) override;
    bool PurgeComm(uint32_t flags) override;
    bool ClearCommError(uint32_t& errors, ComStat& stat) override;
    bool EscapeCommFunction(uint32_t function) override;
    bool ReadFile(uint8_t* buffer, uint32_t toRead, uint32_t& got) override;
    bool WriteFile(const uint8_t* buffer, uint32_t length, uint32_t& written) override;
    void Sleep(uint32_t milliseconds) override;
    std::string OpenFailureText() const override { return m_openFailure; }
    std::string OpenFailureSystemError() const override { return m_openSystemError; }
    std::string PortPath() const override { return m_path; }
    bool IsGone() const override { return m_gone; }

private:
    enum class Transfer { Read, Write };
    // One overlapped ReadFile or WriteFile, waited for until it completes or
    // the breaker ends it (then cancelled, with what it moved so far).
    bool Overlapped(Transfer kind, void* buffer, uint32_t length, uint32_t& done);
    // Answers false for a transfer that failed with `error`, and marks the
    // device gone when the error says it went away.
    bool FailIo(unsigned long error);

    // The time-outs last set: "return what is queued" is answered from the
    // driver's queue count without a read that could wait.
    CommTimeouts m_timeouts{};
    void* m_handle = nullptr;  // HANDLE, INVALID_HANDLE_VALUE when closed
    bool m_open = false;
    bool m_gone = false;
    std::string m_path;
    std::string m_openFailure;
    std::string m_openSystemError;
};
