// Opening and closing the port by the step scripts of a PortProfile record,
// for cable types outside 0..7. Mode 0 uses the first record, any other the
// second.

#include <algorithm>

#include "link/PhoneLink.h"
#include "link/PortOpenMessage.h"

namespace {

constexpr uint32_t STEP_SLEEP_MS = 50;
constexpr int READ_STEP_TRIES = 4;
// The last of a script's bytes is always its end, whatever it holds.
constexpr int MAX_SCRIPT_STEPS = PORT_SCRIPT_STEPS - 1;

// The signed operand count at `cursor`, cut to the bytes the data area still
// holds after it, so that no step reads past the area.
int OperandCount(CPhoneLink& link, const uint8_t* data, int cursor) {
    if (cursor >= PORT_SCRIPT_DATA) return 0;
    const int count = static_cast<int8_t>(data[cursor]);
    const int available = PORT_SCRIPT_DATA - cursor - 1;
    if (count > available) {
        link.LogFormat("Operand Count %d Cut To %d", count, available);
        return available;
    }
    return count;
}

// The cursor moves past the count and its bytes; a negative count never
// moves it backwards.
void AdvanceCursor(int& cursor, int count) {
    cursor = std::min(cursor + 1 + std::max(count, 0), PORT_SCRIPT_DATA);
}

}  // namespace

void CPhoneLink::RunReadStep(const uint8_t* data, int& cursor, bool closing) {
    const int count = OperandCount(*this, data, cursor);
    for (int k = 0; k < count; ++k) {
        const uint8_t expected = data[cursor + 1 + k];
        // Closing asks for all the bytes still expected in one port read.
        const int request = closing ? count - k : 1;
        if (!WaitData(expected, 1, READ_STEP_TRIES, request))
            LogFormat("Read %c Failure", expected);
    }
    LogLine(closing ? "Read Successs" : "Read Success");
    AdvanceCursor(cursor, count);
}

void CPhoneLink::RunWriteStep(const uint8_t* data, int& cursor) {
    const int count = std::max(OperandCount(*this, data, cursor), 0);
    CommWrite(count > 0 ? data + cursor + 1 : data, static_cast<uint32_t>(count));
    LogLine("Write Done");
    AdvanceCursor(cursor, count);
}

bool CPhoneLink::RunSharedStep(uint8_t code, const uint8_t* data, int& cursor, bool closing) {
    switch (code) {
        case STEP_PURGE:
            Device().PurgeComm(COMM_PURGE_ALL);
            LogLine("Purge Done");
            return true;
        case STEP_READ:
            RunReadStep(data, cursor, closing);
            return true;
        case STEP_WRITE:
            RunWriteStep(data, cursor);
            return true;
        case STEP_SLEEP:
            Device().Sleep(STEP_SLEEP_MS);
            LogLine("Sleep Done");
            return true;
        // Modem lines are set as asked; a cable without them is no failure.
        case STEP_SET_DTR:
            Device().EscapeCommFunction(COMM_SETDTR);
            LogLine("SetDtr Done");
            return true;
        case STEP_SET_RTS:
            Device().EscapeCommFunction(COMM_SETRTS);
            LogLine("SetRts Done");
            return true;
        case STEP_CLR_DTR:
            Device().EscapeCommFunction(COMM_CLRDTR);
            LogLine("ClrDtr Done");
            return true;
        case STEP_CLR_RTS:
            Device().EscapeCommFunction(COMM_CLRRTS);
            LogLine("ClrRts Done");
            return true;
        default:
            return false;
    }
}

int CPhoneLink::RunOpenScript(const PortProfile& profile) {
    int cursor = 0;
    for (int i = 0; i < MAX_SCRIPT_STEPS; ++i) {
        const uint8_t code = profile.openSteps[i];
        if (code == STEP_SETUP) {
            if (!Device().SetupComm(profile.inQueue, profile.outQueue)) {
                LogLine("CommOpen2() Failure (Setup)");
                return 0;
            }
            LogLine("Setup Success");
        } else if (code == STEP_SET_TIMEOUTS) {
            if (!Device().SetCommTimeouts(profile.timeouts)) {
                LogLine("CommOpen2() Failure (SetTimeouts)");
                return 0;
            }
            LogLine("SetTimeouts Success");
        } else if (code == STEP_SET_DCB) {
            Dcb dcb;
            if (!Device().GetCommState(dcb)) {
                LogLine("CommOpen2() Failure (GetCommState())");
                return 0;
            }
            const Dcb& want = profile.dcb;
            dcb.BaudRate = want.BaudRate;
            dcb.fBinary = 1;
            dcb.fParity = 0;
            dcb.fOutxCtsFlow = want.fOutxCtsFlow;
            dcb.fOutxDsrFlow = want.fOutxDsrFlow;
            dcb.fDtrControl = want.fDtrControl;
            dcb.fDsrSensitivity = want.fDsrSensitivity;
            dcb.fRtsControl = want.fRtsControl;
            dcb.fAbortOnError = want.fAbortOnError;
            dcb.fTXContinueOnXoff = 0;
            dcb.fOutX = 0;
            dcb.fInX = 0;
            dcb.fErrorChar = 0;
            dcb.fNull = 0;
            dcb.XonLim = want.XonLim;
            dcb.XoffLim = want.XoffLim;
            dcb.ByteSize = want.ByteSize;
            dcb.Parity = want.Parity;
            dcb.StopBits = want.StopBits;
            LogDcb(dcb);
            if (!Device().SetCommState(dcb)) {
                LogLine("CommOpen2() Failure (SetDcb)");
                return 0;
            }
            LogLine("SetDcb Success");
        } else if (!RunSharedStep(code, profile.openData, cursor, false)) {
            break;
        }
    }
    return 1;
}

void CPhoneLink::RunCloseScript(const PortProfile& profile) {
    int cursor = 0;
    for (int i = 0; i < MAX_SCRIPT_STEPS; ++i) {
        if (!RunSharedStep(profile.closeSteps[i], profile.closeData, cursor, true)) break;
    }
}

int CPhoneLink::CommOpen2(int mode) {
    const PortProfile& profile = m_profile[mode ? 1 : 0];
    LogFormat("CommOpen2() Called (COM%d)", m_port + 1);
    LogFormat("Cable:%d  A Part of Product Code:%s", m_cable, "");

    if (!profile.filled) {
        LogLine("CommOpen2() Failure (No Script)");
        return 0;
    }
    const char* name = PortName();
    if (name == nullptr || !Device().Open(name)) {
        LogLine("CommOpen2() Failure (CreateFile())");
        if (const std::string why = PortOpenFailureLogText(Device()); !why.empty()) LogLine(why);
        return 0;
    }
    m_rxCount = 0;
    m_rxPos = 0;
    if (!RunOpenScript(profile)) return 0;

    LogCommStatus();
    LogLine("CommOpen2() Success");
    return 1;
}

int CPhoneLink::CommClose2(int mode) {
    LogLine("CommClose2() Called");
    RunCloseScript(m_profile[mode ? 1 : 0]);
    if (!Device().Close()) {
        LogLine("CommClose2() Failure\r\n");
        return 0;
    }
    LogLine("CommClose2() Success\r\n");
    return 1;
}
