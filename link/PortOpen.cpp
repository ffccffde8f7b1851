// Opening and closing the port with the fixed line settings of cable types
// 0..7, including the AT handshakes that wake a data cable's phone.

#include <iterator>

#include "link/PhoneLink.h"
#include "link/PortOpenMessage.h"

namespace {

constexpr uint32_t QUEUE_SIZE = 4096;
constexpr uint32_t LINE_BAUD_RATE = 600;
constexpr uint32_t AT_PAUSE_MS = 100;

// 16 ms per byte plus 64 ms per read; a write may take 64 ms per byte plus 1 s.
constexpr CommTimeouts LINE_TIMEOUTS{16, 16, 64, 64, 1024};

bool IsFixedCable(int cable) {
    return cable >= 0 && cable <= 7;
}

constexpr const char* NO_ANSWER = "No answer from the phone with this cable type";

}  // namespace

int CPhoneLink::CommOpen(int mode) {
    m_openFailure.clear();
    const int opened = IsFixedCable(m_cable) ? CommOpen1(mode) : CommOpen2(mode);
    if (!opened && m_openFailure.empty()) m_openFailure = Device().OpenFailureText();
    return opened;
}

int CPhoneLink::CommClose(int mode) {
    return IsFixedCable(m_cable) ? CommClose1(mode) : CommClose2(mode);
}

const char* CPhoneLink::PortName() {
    if (m_port < 0 || m_port >= static_cast<int>(std::size(PortNameTable))) {
        LogFormat("Port Index %d Out Of Range", m_port);
        return nullptr;
    }
    return PortNameTable[m_port];
}

void CPhoneLink::LogDcb(const Dcb& d) {
    // The special characters are bytes; print them as such, not sign-extended.
    auto ch = [](char c) { return static_cast<unsigned>(static_cast<unsigned char>(c)); };
    LogFormat(
        "DCB %x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x,%x",
        d.DCBlength, d.BaudRate, d.fBinary, d.fParity, d.fOutxCtsFlow, d.fOutxDsrFlow,
        d.fDtrControl, d.fDsrSensitivity, d.fTXContinueOnXoff, d.fOutX, d.fInX, d.fErrorChar,
        d.fNull, d.fRtsControl, d.fAbortOnError, d.fDummy2, unsigned{d.wReserved},
        unsigned{d.XonLim}, unsigned{d.XoffLim}, unsigned{d.ByteSize}, unsigned{d.Parity},
        unsigned{d.StopBits}, ch(d.XonChar), ch(d.XoffChar), ch(d.ErrorChar), ch(d.EofChar),
        ch(d.EvtChar), unsigned{d.wReserved1});
}

void CPhoneLink::LogCommStatus() {
    uint32_t errors = 0;
    ComStat stat{};
    Device().ClearCommError(errors, stat);
    LogFormat("Returned Error 0x%04x", errors);
    LogFormat("COMSTAT %x,%x,%x,%x,%x,%x,%x,%x,%x,%x", stat.fCtsHold, stat.fDsrHold, stat.fRlsdHold,
              stat.fXoffHold, stat.fXoffSent, stat.fEof, stat.fTxim, stat.fReserved, stat.cbInQue,
              stat.cbOutQue);
}

int CPhoneLink::CommOpen1(int mode) {
    LogFormat("CommOpen1() Called (COM%d)", m_port + 1);
    LogFormat("Cable:%d  A Part of Product Code:%s", m_cable, "");
    m_openFailure.clear();

    const char* name = PortName();
    if (name == nullptr || !Device().Open(name)) {
        LogLine("CommOpen1() Failure (CreateFile())");
        if (const std::string why = PortOpenFailureLogText(Device()); !why.empty()) LogLine(why);
        return 0;
    }
    if (!Device().SetupComm(QUEUE_SIZE, QUEUE_SIZE)) {
        LogLine("CommOpen1() Failure (SetupComm())");
        return 0;
    }
    if (!Device().SetCommTimeouts(LINE_TIMEOUTS)) {
        LogLine("CommOpen1() Failure (SetCommTimeouts())");
        return 0;
    }
    Dcb dcb;
    if (!Device().GetCommState(dcb)) {
        LogLine("CommOpen1() Failure (GetCommState())");
        return 0;
    }

    dcb.BaudRate = LINE_BAUD_RATE;
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fErrorChar = 0;
    dcb.fNull = 0;
    dcb.ByteSize = 8;
    dcb.StopBits = COMM_ONESTOPBIT;
    if (m_cable == 0) {
        // The serial-port memory-edit cable draws its power from RTS.
        dcb.Parity = COMM_EVENPARITY;
        dcb.fDtrControl = COMM_DTR_CONTROL_DISABLE;
        dcb.fRtsControl = COMM_RTS_CONTROL_ENABLE;
    } else {
        dcb.Parity = m_cable == 1 ? COMM_EVENPARITY : COMM_NOPARITY;
        dcb.fDtrControl = COMM_DTR_CONTROL_ENABLE;
        dcb.fRtsControl = mode ? COMM_RTS_CONTROL_ENABLE : COMM_RTS_CONTROL_DISABLE;
    }
    LogDcb(dcb);
    if (!Device().SetCommState(dcb)) {
        LogLine("CommOpen1() Failure (SetupCommState())");
        return 0;
    }

    m_rxCount = 0;
    m_rxPos = 0;
    Device().PurgeComm(COMM_PURGE_ALL);

    switch (m_cable) {
        case 2:
        case 5:
        case 6: {
            static const uint8_t wake[] = {'A', 'T', '%', 'Z', '\r'};
            CommWrite(wake, sizeof wake);
            if (!WaitData('C', 1, 12, 8) || !WaitData('T', 1, 9, 8) || !WaitData('\n', 1, 4, 1)) {
                LogLine("CommOpen1() Failure");
                NoteNoAnswer();
                return 0;
            }
            break;
        }
        case 3:
        case 4: {
            static const uint8_t first[] = {'A', 'T', '+', 'K', '1', '=', '0', '\r', '\n'};
            static const uint8_t second[] = {'A', 'T', 'Z', '8', '0', '\r', '\n'};
            CommWrite(first, sizeof first);
            Device().Sleep(AT_PAUSE_MS);
            CommWrite(second, sizeof second);
            Device().Sleep(AT_PAUSE_MS);
            LogLine("CommOpen1() Can't Verify");
            break;
        }
        case 7: {
            static const uint8_t attention[] = {'A', 'T', '\r', '\n'};
            static const uint8_t phoneBookMode[] = {'A', 'T', '+', 'C',  'P',
                                                    'B', 'M', 'D', '\r', '\n'};
            CommWrite(attention, sizeof attention);
            if (!WaitData('O', 1, 10, 6) || !WaitData('\n', 1, 4, 4)) {
                LogLine("CommOpen1() Failure");
                NoteNoAnswer();
                return 0;
            }
            CommWrite(phoneBookMode, sizeof phoneBookMode);
            Device().Sleep(AT_PAUSE_MS);
            LogLine("CommOpen1() Can't Verify");
            break;
        }
        default:
            break;
    }

    Device().PurgeComm(COMM_PURGE_ALL);
    LogCommStatus();
    LogLine("CommOpen1() Success");
    return 1;
}

void CPhoneLink::NoteNoAnswer() {
    std::string where = Device().PortPath();
    if (where.empty() && PortName() != nullptr) where = PortName();
    m_openFailure = where + ": " + NO_ANSWER;
}

int CPhoneLink::CommClose1(int mode) {
    if (mode) {
        // Hang-up sequence: drop RTS, send the cable's break-off bytes, drop DTR.
        if (!Device().EscapeCommFunction(COMM_CLRRTS)) {
            LogLine("CommClose()1 Failure(CLRRTS)\r\n");
            return 0;
        }
        static const uint8_t memoryCableEnd[] = {0x1F, 0x07, 0x0D};
        static const uint8_t dataCableEnd[] = {'+', '+', '+'};
        CommWrite(m_cable == 0 || m_cable == 1 ? memoryCableEnd : dataCableEnd, 3);
        if (!Device().EscapeCommFunction(COMM_CLRDTR)) {
            LogLine("CommClose()1 Failure(CLRDTR)\r\n");
            return 0;
        }
    }
    m_rxCount = 0;
    m_rxPos = 0;
    Device().PurgeComm(COMM_PURGE_ALL);
    if (!Device().Close()) {
        LogLine("CommClose1() Failure\r\n");
        return 0;
    }
    LogLine("CommClose1() Success\r\n");
    return 1;
}
