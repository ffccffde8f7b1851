#include "platform/posix/PosixCommDevice.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <utility>

#include "platform/posix/KernelTermios.h"
#include "platform/posix/SerialDeviceCheck.h"
#include "platform/posix/SerialPortProbe.h"
#include "platform/posix/TermiosDcb.h"

namespace {

enum class LineResult { Done, Absent, Failed };

// Raises or drops one modem line. Pseudo-terminals and some adapters have no
// modem lines; they answer ENOTTY or EINVAL, which is not a device fault.
LineResult SetModemLine(int fd, int line, bool on) {
    if (ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line) == 0) return LineResult::Done;
    return (errno == ENOTTY || errno == EINVAL) ? LineResult::Absent : LineResult::Failed;
}

// The raw line every open starts from: bytes pass unchanged both ways, no
// echo, no flow control, the modem status ignored. Reads never wait in the
// kernel (the time-outs are ours); VMIN 1 makes a read of an empty queue
// answer EAGAIN, so that 0 from read() means only a hung-up device.
void MakeRaw(termios& t) {
    cfmakeraw(&t);
    t.c_cflag |= CLOCAL | CREAD;
#ifdef CRTSCTS
    t.c_cflag &= ~CRTSCTS;
#endif
    t.c_iflag &= ~(IXOFF | IXANY | INPCK);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

// Applies t at once; customBaud, when not 0, takes the place of the speed
// code. The line stands as the driver took it: a device that quietly keeps
// 8 bits without parity (a pseudo-terminal) is no failure.
bool ApplyTermios(int fd, const termios& t, uint32_t customBaud) {
    if (!HaveKernelTermios()) return customBaud == 0 && tcsetattr(fd, TCSANOW, &t) == 0;
    // A line left at a custom rate carries no speed code; keep its rate
    // rather than let the kernel read "rate 0" (which hangs the line up).
    if (customBaud == 0 && BaudForSpeedCode(cfgetospeed(&t)) == 0) {
        customBaud = GetKernelBaudRate(fd);
    }
    KernelTermios k;
    k.iflag = t.c_iflag;
    k.oflag = t.c_oflag;
    k.cflag = t.c_cflag;
    k.lflag = t.c_lflag;
    k.line = t.c_line;
    std::copy_n(t.c_cc, std::min<size_t>(NCCS, sizeof k.cc), k.cc);
    k.customBaud = customBaud;
    return SetKernelTermios(fd, k);
}

void CloseQuietly(int fd) {
    // Linux releases the descriptor even when close() reports an error.
    ::close(fd);
}

}  // namespace

PosixCommDevice::PosixCommDevice(PortResolver resolver, std::string lockFolder)
    : m_resolver(std::move(resolver)), m_lockFile(std::move(lockFolder)) {}

PosixCommDevice::~PosixCommDevice() {
    if (IsOpen()) Close();
}

std::string PosixCommDevice::DefaultPortPath(const std::string& portName) {
    if (portName.size() == 4 && portName.compare(0, 3, "COM") == 0 && portName[3] >= '1' &&
        portName[3] <= '9') {
        return "/dev/ttyS" + std::string(1, static_cast<char>(portName[3] - 1));
    }
    return portName;
}

bool PosixCommDevice::Open(const std::string& portName) {
    m_openFailure.clear();
    m_openSystemError.clear();
    if (IsOpen()) return false;
    std::string path = m_resolver ? m_resolver(portName) : std::string();
    if (path.empty()) path = DefaultPortPath(portName);
    m_path = path;
    if (path.empty()) return FailOpen(portName, ENOENT);

    // A link (/dev/serial/by-id/..., a simulator's --link) is followed anew at
    // every open: a re-plugged adapter may come back as another ttyUSB.
    char device[PATH_MAX];
    if (::realpath(path.c_str(), device) == nullptr) return FailOpen(path, errno);
    LockFileHolding holder;
    if (!m_lockFile.Take(device, holder)) return FailOpenHeld(path, holder);
    const int fd = ::open(device, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        m_lockFile.Release();
        return FailOpen(path, error);
    }
    // The lock, on the device itself, keeps out every other opener, root
    // included; TIOCEXCL also keeps out programs that do not take the lock,
    // where the tty allows it.
    termios t{};
    int error = 0;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || tcgetattr(fd, &t) != 0) {
        error = errno;
    } else if (!DriverReportsPort(fd)) {
        error = ENODEV;  // a legacy port node without a UART behind it
    }
    if (error != 0) {
        CloseQuietly(fd);
        m_lockFile.Release();
        return FailOpen(path, error);
    }
    ioctl(fd, TIOCEXCL);
    MakeRaw(t);
    errno = 0;
    if (!ApplyTermios(fd, t, 0)) {
        error = errno != 0 ? errno : EIO;
        ioctl(fd, TIOCNXCL);
        CloseQuietly(fd);
        m_lockFile.Release();
        return FailOpen(path, error);
    }
    m_fd = fd;
    m_gone = false;
    m_timeouts = CommTimeouts{};
    // Opening a tty raises DTR and RTS.
    m_dtrControl = COMM_DTR_CONTROL_ENABLE;
    m_rtsControl = COMM_RTS_CONTROL_ENABLE;
    return true;
}

bool PosixCommDevice::FailOpenHeld(const std::string& path, const LockFileHolding& holder) {
    m_openFailure = path + ": " + DescribeHolding(holder).text;
    m_openSystemError = holder.process != 0
                            ? "lock file held by process " + std::to_string(holder.process)
                            : "lock file: " + holder.why;
    return false;
}

bool PosixCommDevice::FailOpen(const std::string& path, int error) {
    m_openFailure = path + ": " + DescribeOpenFailure(path, error).text;
    m_openSystemError =
        std::string(std::strerror(error)) + " (errno " + std::to_string(error) + ")";
    return false;
}

bool PosixCommDevice::FailIo(int error) {
    // A pulled USB adapter hangs its tty up (reads of 0 bytes, EIO); a closed
    // pseudo-terminal master gives EIO; a vanished device ENXIO or ENODEV.
    if (error == EIO || error == ENXIO || error == ENODEV) m_gone = true;
    return false;
}

bool PosixCommDevice::IsOpen() const {
    return m_fd >= 0;
}

bool PosixCommDevice::Close() {
    if (!IsOpen()) return false;
    ioctl(m_fd, TIOCNXCL);
    CloseQuietly(m_fd);
    m_fd = -1;
    m_lockFile.Release();
    return true;
}

bool PosixCommDevice::SetupComm(uint32_t, uint32_t) {
    // The kernel sizes its own queues.
    return IsOpen();
}

bool PosixCommDevice::SetCommTimeouts(const CommTimeouts& timeouts) {
    if (!IsOpen()) return false;
    constexpr uint32_t kMax = UINT32_MAX;
    // Windows refuses this one combination as meaningless.
    if (timeouts.ReadIntervalTimeout == kMax && timeouts.ReadTotalTimeoutMultiplier == kMax &&
        timeouts.ReadTotalTimeoutConstant == kMax) {
        return false;
    }
    m_timeouts = timeouts;
    return true;
}

bool PosixCommDevice::GetCommState(Dcb& dcb) {
    if (!IsOpen()) return false;
    termios t{};
    if (tcgetattr(m_fd, &t) != 0) return false;

    uint32_t dtr = m_dtrControl;
    uint32_t rts = m_rtsControl;
    int lines = 0;
    if (ioctl(m_fd, TIOCMGET, &lines) == 0) {
        dtr = (lines & TIOCM_DTR) ? COMM_DTR_CONTROL_ENABLE : COMM_DTR_CONTROL_DISABLE;
        rts = (lines & TIOCM_RTS) ? COMM_RTS_CONTROL_ENABLE : COMM_RTS_CONTROL_DISABLE;
    }
    FillDcbFromTermios(t, dtr, rts, dcb);
    dcb.BaudRate = BaudForSpeedCode(cfgetospeed(&t));
    if (dcb.BaudRate == 0) dcb.BaudRate = GetKernelBaudRate(m_fd);
    return true;
}

bool PosixCommDevice::SetCommState(const Dcb& dcb) {
    if (!IsOpen() || dcb.BaudRate == 0) return false;
    termios t{};
    if (tcgetattr(m_fd, &t) != 0 || !ApplyDcbFraming(dcb, t)) return false;
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    const speed_t code = SpeedCodeForBaud(dcb.BaudRate);
    if (code != B0) {
        cfsetispeed(&t, code);
        cfsetospeed(&t, code);
    }
    if (!ApplyTermios(m_fd, t, code == B0 ? dcb.BaudRate : 0)) return false;

    m_dtrControl = dcb.fDtrControl;
    m_rtsControl = dcb.fRtsControl;
    // DTR handshaking has no POSIX form; the line is held up instead.
    const bool dtrUp = dcb.fDtrControl != COMM_DTR_CONTROL_DISABLE;
    if (SetModemLine(m_fd, TIOCM_DTR, dtrUp) == LineResult::Failed) return false;
    // With RTS/CTS flow the driver drives RTS itself; toggling on transmit is
    // not available, and RTS then rests low as it does between frames.
    if (dcb.fRtsControl != COMM_RTS_CONTROL_HANDSHAKE) {
        const bool rtsUp = dcb.fRtsControl == COMM_RTS_CONTROL_ENABLE;
        if (SetModemLine(m_fd, TIOCM_RTS, rtsUp) == LineResult::Failed) return false;
    }
    return true;
}

bool PosixCommDevice::PurgeComm(uint32_t flags) {
    if (!IsOpen() || (flags & ~COMM_PURGE_ALL) != 0) return false;
    const bool tx = flags & (COMM_PURGE_TXABORT | COMM_PURGE_TXCLEAR);
    const bool rx = flags & (COMM_PURGE_RXABORT | COMM_PURGE_RXCLEAR);
    if (!tx && !rx) return true;
    const int queue = tx && rx ? TCIOFLUSH : (tx ? TCOFLUSH : TCIFLUSH);
    return tcflush(m_fd, queue) == 0;
}

bool PosixCommDevice::ClearCommError(uint32_t& errors, ComStat& stat) {
    // Line errors are not counted by every driver; none are reported.
    errors = 0;
    stat = ComStat{};
    if (!IsOpen()) return false;
    int inQueue = 0;
    int outQueue = 0;
    if (ioctl(m_fd, FIONREAD, &inQueue) != 0 || ioctl(m_fd, TIOCOUTQ, &outQueue) != 0) {
        return false;
    }
    stat.cbInQue = static_cast<uint32_t>(inQueue > 0 ? inQueue : 0);
    stat.cbOutQue = static_cast<uint32_t>(outQueue > 0 ? outQueue : 0);

#ifdef CRTSCTS
    termios t{};
    int lines = 0;
    if (tcgetattr(m_fd, &t) == 0 && (t.c_cflag & CRTSCTS) && ioctl(m_fd, TIOCMGET, &lines) == 0) {
        stat.fCtsHold = (lines & TIOCM_CTS) ? 0 : 1;
    }
#endif
    return true;
}

bool PosixCommDevice::EscapeCommFunction(uint32_t function) {
    if (!IsOpen()) return false;
    switch (function) {
        case COMM_SETRTS:
            return SetModemLine(m_fd, TIOCM_RTS, true) == LineResult::Done;
        case COMM_CLRRTS:
            return SetModemLine(m_fd, TIOCM_RTS, false) == LineResult::Done;
        case COMM_SETDTR:
            return SetModemLine(m_fd, TIOCM_DTR, true) == LineResult::Done;
        case COMM_CLRDTR:
            return SetModemLine(m_fd, TIOCM_DTR, false) == LineResult::Done;
        default:
            return false;
    }
}
