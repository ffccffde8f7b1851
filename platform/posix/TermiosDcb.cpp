#include "platform/posix/TermiosDcb.h"

#include <algorithm>
#include <array>
#include <utility>

namespace {

struct SpeedCode {
    uint32_t baud;
    speed_t code;
};

// Every rate termios names on this system. The Win32 rates without a code
// (14400, 56000, 128000, 256000) are set as custom rates where the kernel
// allows it.
constexpr SpeedCode kSpeedCodes[] = {
    {50, B50},           {75, B75},     {110, B110},   {134, B134},     {150, B150},
    {200, B200},         {300, B300},   {600, B600},   {1200, B1200},   {1800, B1800},
    {2400, B2400},       {4800, B4800}, {9600, B9600}, {19200, B19200}, {38400, B38400},
#ifdef B57600
    {57600, B57600},
#endif
#ifdef B115200
    {115200, B115200},
#endif
#ifdef B230400
    {230400, B230400},
#endif
#ifdef B460800
    {460800, B460800},
#endif
#ifdef B500000
    {500000, B500000},
#endif
#ifdef B576000
    {576000, B576000},
#endif
#ifdef B921600
    {921600, B921600},
#endif
#ifdef B1000000
    {1000000, B1000000},
#endif
#ifdef B1152000
    {1152000, B1152000},
#endif
#ifdef B1500000
    {1500000, B1500000},
#endif
#ifdef B2000000
    {2000000, B2000000},
#endif
#ifdef B2500000
    {2500000, B2500000},
#endif
#ifdef B3000000
    {3000000, B3000000},
#endif
#ifdef B3500000
    {3500000, B3500000},
#endif
#ifdef B4000000
    {4000000, B4000000},
#endif
};

constexpr std::array<std::pair<uint8_t, tcflag_t>, 4> kByteSizes{{
    {5, CS5},
    {6, CS6},
    {7, CS7},
    {8, CS8},
}};

#ifdef CRTSCTS
constexpr tcflag_t kRtsCtsFlow = CRTSCTS;
#else
constexpr tcflag_t kRtsCtsFlow = 0;
#endif
#ifdef CMSPAR
constexpr tcflag_t kStickParity = CMSPAR;
#else
constexpr tcflag_t kStickParity = 0;
#endif

// The parity bits of c_cflag for a Dcb parity; false when the line cannot
// do it (mark and space need sticky parity).
bool ParityFlags(uint8_t parity, tcflag_t& flags) {
    switch (parity) {
        case COMM_NOPARITY:
            flags = 0;
            return true;
        case COMM_ODDPARITY:
            flags = PARENB | PARODD;
            return true;
        case COMM_EVENPARITY:
            flags = PARENB;
            return true;
        case COMM_MARKPARITY:
            flags = PARENB | PARODD | kStickParity;
            return kStickParity != 0;
        case COMM_SPACEPARITY:
            flags = PARENB | kStickParity;
            return kStickParity != 0;
        default:
            return false;
    }
}

uint8_t ParityOf(tcflag_t cflag) {
    if (!(cflag & PARENB)) return COMM_NOPARITY;
    const bool odd = cflag & PARODD;
    if (kStickParity != 0 && (cflag & kStickParity)) return odd ? COMM_MARKPARITY : COMM_SPACEPARITY;
    return odd ? COMM_ODDPARITY : COMM_EVENPARITY;
}

}  // namespace

speed_t SpeedCodeForBaud(uint32_t baud) {
    for (const SpeedCode& s : kSpeedCodes) {
        if (s.baud == baud) return s.code;
    }
    return B0;
}

uint32_t BaudForSpeedCode(speed_t code) {
    for (const SpeedCode& s : kSpeedCodes) {
        if (s.code == code) return s.baud;
    }
    return 0;
}

bool ApplyDcbFraming(const Dcb& dcb, termios& t) {
    const auto* size = std::find_if(kByteSizes.begin(), kByteSizes.end(),
                                    [&](const auto& s) { return s.first == dcb.ByteSize; });
    tcflag_t parityFlags = 0;
    if (size == kByteSizes.end() || !ParityFlags(dcb.Parity, parityFlags)) return false;
    const tcflag_t sizeFlag = size->second;  // CS5 is 0
    if (dcb.StopBits > COMM_TWOSTOPBITS) return false;
    if (dcb.fDtrControl > COMM_DTR_CONTROL_HANDSHAKE || dcb.fRtsControl > COMM_RTS_CONTROL_TOGGLE) {
        return false;
    }
    const bool rtsCtsFlow = dcb.fOutxCtsFlow || dcb.fRtsControl == COMM_RTS_CONTROL_HANDSHAKE;
    if (rtsCtsFlow && kRtsCtsFlow == 0) return false;
    const bool xonXoff = dcb.fOutX || dcb.fInX;
    // The same character cannot both stop and restart the flow.
    if (xonXoff && dcb.XonChar == dcb.XoffChar) return false;

    t.c_cflag &= ~(CSIZE | PARENB | PARODD | kStickParity | CSTOPB | kRtsCtsFlow);
    t.c_cflag |= sizeFlag | parityFlags | CLOCAL | CREAD;
    // One and a half stop bits is what a UART makes of two with 5 data bits.
    if (dcb.StopBits != COMM_ONESTOPBIT) t.c_cflag |= CSTOPB;
    if (rtsCtsFlow) t.c_cflag |= kRtsCtsFlow;

    t.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
    if (dcb.fParity && dcb.Parity != COMM_NOPARITY) t.c_iflag |= INPCK;
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    if (dcb.XonChar != dcb.XoffChar) {
        t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
        t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    }
    return true;
}

void FillDcbFromTermios(const termios& t, uint32_t dtrControl, uint32_t rtsControl, Dcb& dcb) {
    dcb = Dcb{};
    dcb.DCBlength = kDefaultDcbLength;
    dcb.fBinary = 1;  // Windows drivers support nothing else
    dcb.fParity = (t.c_iflag & INPCK) ? 1 : 0;
    dcb.fOutxCtsFlow = (kRtsCtsFlow != 0 && (t.c_cflag & kRtsCtsFlow)) ? 1 : 0;
    dcb.fDtrControl = dtrControl;
    dcb.fRtsControl = dcb.fOutxCtsFlow ? COMM_RTS_CONTROL_HANDSHAKE : rtsControl;
    // Linux never holds its own output back after sending XOFF.
    dcb.fTXContinueOnXoff = 1;
    dcb.fOutX = (t.c_iflag & IXON) ? 1 : 0;
    dcb.fInX = (t.c_iflag & IXOFF) ? 1 : 0;
    dcb.XonLim = kDefaultXonLim;
    dcb.XoffLim = kDefaultXoffLim;

    dcb.ByteSize = 8;
    for (const auto& [size, flag] : kByteSizes) {
        if ((t.c_cflag & CSIZE) == flag) dcb.ByteSize = size;
    }
    dcb.Parity = ParityOf(t.c_cflag);
    if (t.c_cflag & CSTOPB) {
        dcb.StopBits = dcb.ByteSize == 5 ? COMM_ONE5STOPBITS : COMM_TWOSTOPBITS;
    } else {
        dcb.StopBits = COMM_ONESTOPBIT;
    }
    dcb.XonChar = static_cast<char>(t.c_cc[VSTART]);
    dcb.XoffChar = static_cast<char>(t.c_cc[VSTOP]);
    dcb.EofChar = kDefaultEofChar;
}
