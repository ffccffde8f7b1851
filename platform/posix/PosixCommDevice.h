#pragma once
// The comm device on a POSIX tty: termios for the line settings, poll() for
// the Win32 read and write time-outs.

#include <functional>
#include <string>

#include "platform/CommDevice.h"
#include "platform/posix/DeviceLockFile.h"

class PosixCommDevice final : public CommDevice {
public:
    // Turns a port name ("COM1".."COM9") into a device path. The application
    // hands in one that reads its profile; without one, or when it answers an
    // empty path, "COMn" is /dev/ttyS(n-1) and any other name is taken as a
    // path.
    using PortResolver = std::function<std::string(const std::string& portName)>;

    // `lockFolder` holds the ports' lock files (see DeviceLockFile).
    explicit PosixCommDevice(PortResolver resolver = {},
                             std::string lockFolder = DeviceLockFolder());
    ~PosixCommDevice() override;
    PosixCommDevice(const PosixCommDevice&) = delete;
    PosixCommDevice& operator=(const PosixCommDevice&) = delete;

    static std::string DefaultPortPath(const std::string& portName);

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
    // The breaker's stop descriptor, -1 without a breaker.
    int StopFd() const;
    // Records why opening `path` failed with the system error `error`.
    bool FailOpen(const std::string& path, int error);
    // The same for a port whose lock file a live process holds.
    bool FailOpenHeld(const std::string& path, const LockFileHolding& holder);
    // Answers false for a read or write that failed with `error`, and marks
    // the device gone when the error says it went away.
    bool FailIo(int error);

    PortResolver m_resolver;
    int m_fd = -1;
    // Kept while the port is open, so that programs that look only at the
    // lock files leave it alone.
    DeviceLockFile m_lockFile;
    bool m_gone = false;
    std::string m_openFailure;
    std::string m_path;
    std::string m_openSystemError;
    CommTimeouts m_timeouts{};
    // The line states last asked for, reported by GetCommState where the
    // device cannot tell its modem lines.
    uint32_t m_dtrControl = COMM_DTR_CONTROL_ENABLE;
    uint32_t m_rtsControl = COMM_RTS_CONTROL_ENABLE;
};
