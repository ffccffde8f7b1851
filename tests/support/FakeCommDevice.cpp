#include "support/FakeCommDevice.h"

#include <algorithm>
#include <limits>

FakeCommDevice::FakeCommDevice() {
    // What a freshly plugged port typically reports.
    reportedDcb.BaudRate = 9600;
    reportedDcb.fBinary = 1;
    reportedDcb.fDtrControl = COMM_DTR_CONTROL_ENABLE;
    reportedDcb.fRtsControl = COMM_RTS_CONTROL_ENABLE;
    reportedDcb.XonLim = 2048;
    reportedDcb.XoffLim = 512;
    reportedDcb.ByteSize = 8;
    reportedDcb.XonChar = 0x11;
    reportedDcb.XoffChar = 0x13;
}

void FakeCommDevice::Incoming(const Bytes& bytes, uint64_t delayMs) {
    IncomingAt(m_now + delayMs, bytes);
}

void FakeCommDevice::IncomingAt(uint64_t atMs, const Bytes& bytes) {
    // Keep arrival order: later bytes go after every byte due no later.
    auto pos = std::upper_bound(m_incoming.begin(), m_incoming.end(), atMs,
                                [](uint64_t at, const Arrival& a) { return at < a.at; });
    for (uint8_t b : bytes) pos = std::next(m_incoming.insert(pos, Arrival{atMs, b}));
}

void FakeCommDevice::ReplyTo(const Bytes& trigger, const Bytes& reply, uint64_t delayMs) {
    m_replies.push_back(Reply{trigger, reply, delayMs});
}

void FakeCommDevice::At(uint64_t atMs, std::function<void()> action) {
    m_actions.emplace(atMs, std::move(action));
}

uint64_t FakeCommDevice::NextActionBefore(uint64_t limit) const {
    return m_actions.empty() ? limit : std::min(limit, m_actions.begin()->first);
}

void FakeCommDevice::AdvanceTo(uint64_t atMs) {
    m_now = std::max(m_now, atMs);
    while (!m_actions.empty() && m_actions.begin()->first <= m_now) {
        auto action = std::move(m_actions.begin()->second);
        m_actions.erase(m_actions.begin());
        action();
    }
}

void FakeCommDevice::Heal(FakeOp op) {
    m_failAlways.erase(op);
    m_failNth.erase(op);
}

int FakeCommDevice::CallCount(FakeOp op) const {
    auto it = m_callCounts.find(op);
    return it == m_callCounts.end() ? 0 : it->second;
}

std::vector<std::string> FakeCommDevice::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& c : calls)
        if (c.rfind(prefix, 0) == 0) found.push_back(c);
    return found;
}

void FakeCommDevice::ClearRecord() {
    calls.clear();
    written.clear();
    writes.clear();
    dcbsSet.clear();
}

bool FakeCommDevice::Enter(FakeOp op, const std::string& record) {
    calls.push_back(record);
    ++m_operations;
    const int n = ++m_callCounts[op];
    if (m_failAlways.count(op) != 0) return false;
    auto nth = m_failNth.find(op);
    if (nth != m_failNth.end() && nth->second.count(n) != 0) return false;
    // Like a handle: one opener at a time, and nothing works on a closed port.
    return op == FakeOp::Open ? !m_open : m_open;
}

void FakeCommDevice::Unplug() {
    m_unplugged = true;
    if (m_open) m_gone = true;
}

bool FakeCommDevice::Open(const std::string& portName) {
    m_openFailure.clear();
    m_openSystemError.clear();
    if (beforeOpen && !beforeOpen(portName)) return false;
    if (!Enter(FakeOp::Open, "Open(" + portName + ")")) return false;
    if (m_unplugged) {
        m_openFailure = portName + ": No such device";
        m_openSystemError = "No such file or directory (errno 2)";
        return false;
    }
    m_open = true;
    m_gone = false;
    openedName = portName;
    return true;
}

bool FakeCommDevice::Close() {
    if (!Enter(FakeOp::Close, "Close()")) return false;
    m_open = false;
    return true;
}

bool FakeCommDevice::SetupComm(uint32_t inQueueSize, uint32_t outQueueSize) {
    if (!Enter(FakeOp::SetupComm, "SetupComm(" + std::to_string(inQueueSize) + "," +
                                      std::to_string(outQueueSize) + ")"))
        return false;
    inQueue = inQueueSize;
    outQueue = outQueueSize;
    return true;
}

bool FakeCommDevice::SetCommTimeouts(const CommTimeouts& t) {
    const std::string record = "SetCommTimeouts(" + std::to_string(t.ReadIntervalTimeout) + "," +
                               std::to_string(t.ReadTotalTimeoutMultiplier) + "," +
                               std::to_string(t.ReadTotalTimeoutConstant) + "," +
                               std::to_string(t.WriteTotalTimeoutMultiplier) + "," +
                               std::to_string(t.WriteTotalTimeoutConstant) + ")";
    if (!Enter(FakeOp::SetCommTimeouts, record)) return false;
    timeouts = t;
    return true;
}

bool FakeCommDevice::GetCommState(Dcb& dcb) {
    if (!Enter(FakeOp::GetCommState, "GetCommState()")) return false;
    dcb = reportedDcb;
    return true;
}

bool FakeCommDevice::SetCommState(const Dcb& dcb) {
    if (!Enter(FakeOp::SetCommState, "SetCommState()")) return false;
    dcbsSet.push_back(dcb);
    reportedDcb = dcb;
    dtr = dcb.fDtrControl != COMM_DTR_CONTROL_DISABLE;
    rts = dcb.fRtsControl != COMM_RTS_CONTROL_DISABLE;
    return true;
}

bool FakeCommDevice::PurgeComm(uint32_t flags) {
    if (!Enter(FakeOp::PurgeComm, "PurgeComm(" + std::to_string(flags) + ")")) return false;
    if (flags & COMM_PURGE_RXCLEAR) {
        // Only what has arrived can be thrown away.
        while (!m_incoming.empty() && m_incoming.front().at <= m_now) m_incoming.pop_front();
    }
    return true;
}

bool FakeCommDevice::ClearCommError(uint32_t& errors, ComStat& stat) {
    if (!Enter(FakeOp::ClearCommError, "ClearCommError()")) return false;
    errors = commErrors;
    stat = comStat;
    // As a driver counts its queue: what has arrived and is not read yet.
    for (const Arrival& a : m_incoming) {
        if (a.at > m_now) break;
        ++stat.cbInQue;
    }
    return true;
}

bool FakeCommDevice::EscapeCommFunction(uint32_t function) {
    if (!Enter(FakeOp::EscapeCommFunction, "EscapeCommFunction(" + std::to_string(function) + ")"))
        return false;
    switch (function) {
        case COMM_SETRTS:
            rts = true;
            return true;
        case COMM_CLRRTS:
            rts = false;
            return true;
        case COMM_SETDTR:
            dtr = true;
            return true;
        case COMM_CLRDTR:
            dtr = false;
            return true;
        default:
            return false;
    }
}

bool FakeCommDevice::ReadFile(uint8_t* buffer, uint32_t toRead, uint32_t& got) {
    got = 0;
    if (!Enter(FakeOp::ReadFile, "ReadFile(" + std::to_string(toRead) + ")") || m_gone)
        return false;
    const uint64_t never = std::numeric_limits<uint64_t>::max();
    const bool hasTotal =
        timeouts.ReadTotalTimeoutMultiplier != 0 || timeouts.ReadTotalTimeoutConstant != 0;
    const uint64_t deadline = hasTotal
                                  ? m_now + uint64_t{timeouts.ReadTotalTimeoutMultiplier} * toRead +
                                        timeouts.ReadTotalTimeoutConstant
                                  : never;
    uint64_t lastByteAt = m_now;
    while (got < toRead) {
        if (!m_incoming.empty() && m_incoming.front().at <= m_now) {
            buffer[got++] = m_incoming.front().byte;
            m_incoming.pop_front();
            lastByteAt = m_now;
            continue;
        }
        // A wait cut short ends at the virtual moment it began.
        if (StopRaised()) break;
        if (got == 0 && MayGiveWay()) {
            NoteGaveWay();
            break;
        }
        uint64_t limit = deadline;
        if (got > 0 && timeouts.ReadIntervalTimeout != 0)
            limit = std::min(limit, lastByteAt + timeouts.ReadIntervalTimeout);
        // Without any time-out a real port would block; here it answers at once.
        if (limit == never) break;
        if (!m_incoming.empty() && m_incoming.front().at <= limit) limit = m_incoming.front().at;
        const uint64_t step = NextActionBefore(limit);
        AdvanceTo(step);
        // An action may have made the wait give way: look again.
        if (step < limit) continue;
        if (!m_incoming.empty() && m_incoming.front().at <= m_now) continue;
        break;
    }
    return true;
}

bool FakeCommDevice::WriteFile(const uint8_t* buffer, uint32_t length, uint32_t& count) {
    count = 0;
    if (!Enter(FakeOp::WriteFile, "WriteFile(" + std::to_string(length) + ")") || m_gone)
        return false;
    Bytes bytes(buffer, buffer + length);
    written.insert(written.end(), bytes.begin(), bytes.end());
    writes.push_back(bytes);
    count = length;
    for (const auto& r : m_replies)
        if (r.trigger == bytes) Incoming(r.reply, r.delayMs);
    return true;
}

void FakeCommDevice::Sleep(uint32_t milliseconds) {
    calls.push_back("Sleep(" + std::to_string(milliseconds) + ")");
    ++m_operations;
    if (StopRaised()) return;
    const uint64_t end = m_now + milliseconds;
    for (;;) {
        if (StopRaised()) return;
        if (MayGiveWay()) {
            NoteGaveWay();
            return;
        }
        if (m_now >= end) return;
        AdvanceTo(NextActionBefore(end));
    }
}
