// The link's life and its byte-level I/O: the receive buffer, single-byte
// reads with bounded waiting, waits for expected bytes, writes.

#include "link/PhoneLink.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

// Port reads per CommReadByte call, and the pause after a read that got nothing.
constexpr int READ_ATTEMPTS = 3;
constexpr uint32_t EMPTY_READ_PAUSE_MS = 100;

}  // namespace

CPhoneLink::CPhoneLink(std::unique_ptr<CommDevice> device) : m_device(std::move(device)) {
    // Lets a user trace a real cable without a build of their own.
    const char* path = std::getenv("TELVOXA_COMMLOG");
    if (path != nullptr && *path != '\0') LogOpen(path);
}

CPhoneLink::~CPhoneLink() {
    LogClose();
}

void CPhoneLink::ClearBuf(int purge) {
    m_rxCount = 0;
    m_rxPos = 0;
    if (purge) Device().PurgeComm(COMM_PURGE_ALL);
    LogLine("ClearBuf() Success");
}

uint32_t CPhoneLink::WaitingBytes() {
    const uint32_t held = m_rxPos < m_rxCount ? m_rxCount - m_rxPos : 0;
    uint32_t errors = 0;
    ComStat stat;
    if (!Device().IsOpen() || !Device().ClearCommError(errors, stat)) return held;
    return held + stat.cbInQue;
}

uint32_t CPhoneLink::CommWrite(const uint8_t* bytes, uint32_t length) {
    uint32_t written = 0;
    if (!Device().WriteFile(bytes, length, written)) written = 0;
    LogFormat("CommWrite() Written %d Byte(s)", static_cast<int>(written));
    return written;
}

uint8_t CPhoneLink::CommReadByte(int logValue, int request) {
    uint8_t byte = 0;
    return FetchByte(logValue, request, byte) ? byte : 0;
}

bool CPhoneLink::FetchByte(int logValue, int request, uint8_t& byte) {
    // A port read never asks for more than the buffer holds, nor for nothing.
    const uint32_t toRead = static_cast<uint32_t>(std::clamp(request, 1, RX_BUFFER_SIZE));
    for (int attempt = 0; attempt < READ_ATTEMPTS; ++attempt) {
        if (m_rxPos < m_rxCount) {
            byte = m_rxBuf[m_rxPos++];
            if (logValue)
                LogFormat("CommReadByte() Success (0x%02x) time %d", byte, attempt);
            else if (m_countPlainReads)
                ++m_countedReads;
            else
                LogFormat("CommReadByte() Success time %d", attempt);
            return true;
        }
        uint32_t got = 0;
        if (!Device().ReadFile(m_rxBuf, toRead, got)) {
            m_rxCount = 0;
            m_rxPos = 0;
            LogFormat("CommReadByte() Failure (ReadFile) time %d", attempt);
            return false;
        }
        m_rxCount = std::min(got, toRead);
        m_rxPos = 0;
        if (m_rxCount == 0) {
            if (m_yieldingRead && Device().GaveWay()) break;
            LogLine("CommReadByte() Sleep");
            Device().Sleep(EMPTY_READ_PAUSE_MS);
            if (m_yieldingRead && Device().GaveWay()) break;
        }
    }
    if (m_yieldingRead && Device().GaveWay()) {
        LogLine("CommReadByte() Gave Way");
        return false;
    }
    // Whatever the last read fetched stays buffered for the next call.
    LogLine("CommReadByte() Time Out");
    return false;
}

bool CPhoneLink::FirstPollByte(uint8_t& byte) {
    Device().SetYielding(true);
    m_yieldingRead = true;
    byte = CommReadByte(0, 1);
    m_yieldingRead = false;
    Device().SetYielding(false);
    return !Device().GaveWay();
}

int CPhoneLink::WaitData(uint8_t byte, int logValue, int tries, int request) {
    LogFormat("WaitData(0x%02x) Called", byte);
    for (int i = 0; i < tries; ++i) {
        if (CommReadByte(logValue, request) == byte) {
            LogFormat("WaitData(0x%02x) Success", byte);
            return 1;
        }
    }
    LogFormat("WaitData(0x%02x) Time Out", byte);
    return 0;
}

uint8_t CPhoneLink::WaitDataV(int logValue, int tries, int request,
                              std::initializer_list<uint8_t> candidates) {
    LogLine("WaitDataV() Called");
    std::string waiting;
    if (logValue && IsLogOpen()) {
        char part[16];
        bool first = true;
        for (uint8_t c : candidates) {
            std::snprintf(part, sizeof part, first ? "Waiting 0x%02x" : " ,0x%02x", c);
            waiting += part;
            first = false;
        }
    }
    LogLine(waiting);
    for (int i = 0; i < tries; ++i) {
        const uint8_t got = CommReadByte(logValue, request);
        if (std::find(candidates.begin(), candidates.end(), got) != candidates.end()) {
            LogFormat("WaitDataV() Received 0x%02x", got);
            return got;
        }
    }
    LogLine("WaitDataV() Time Out");
    return 0;
}
