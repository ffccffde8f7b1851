#pragma once
// An in-memory serial port for tests and fuzzers. Incoming bytes are
// scripted on a virtual clock: reads and pauses advance the clock instead of
// waiting, so a silent phone costs no real time while tests can still ask
// how long an operation would have taken. Every call and every byte written
// is recorded, and any operation can be made to fail.

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/CommDevice.h"

enum class FakeOp {
    Open,
    Close,
    SetupComm,
    SetCommTimeouts,
    GetCommState,
    SetCommState,
    PurgeComm,
    ClearCommError,
    EscapeCommFunction,
    ReadFile,
    WriteFile,
};

class FakeCommDevice final : public CommDevice {
public:
    using Bytes = std::vector<uint8_t>;

    FakeCommDevice();

    // --- the phone's side ---
    // The bytes arrive `delayMs` after the current virtual time.
    void Incoming(const Bytes& bytes, uint64_t delayMs = 0);
    // The bytes arrive at the absolute virtual time `atMs`.
    void IncomingAt(uint64_t atMs, const Bytes& bytes);
    // Whenever exactly `written` is written, `reply` arrives `delayMs` later.
    void ReplyTo(const Bytes& written, const Bytes& reply, uint64_t delayMs = 0);
    // `action` runs once, on the thread using the port, when the virtual
    // clock reaches `atMs` in a read or a pause (which may then give way).
    void At(uint64_t atMs, std::function<void()> action);
    // Bytes scheduled but not yet handed to a read (arrived or not).
    size_t PendingIncoming() const { return m_incoming.size(); }

    // --- failures ---
    // Every call of `op` from now on fails, until Heal.
    void Fail(FakeOp op) { m_failAlways.insert(op); }
    // Only the n-th call (1-based, counted since construction) of `op` fails.
    void FailCall(FakeOp op, int n) { m_failNth[op].insert(n); }
    void Heal(FakeOp op);
    // The device goes away as a pulled cable does: reads and writes fail,
    // IsGone answers true, and Open fails with "<name>: No such device"
    // until Replug.
    void Unplug();
    void Replug() { m_unplugged = false; }
    bool Unplugged() const { return m_unplugged; }

    // --- what the port reports and how it stands ---
    Dcb reportedDcb;  // GetCommState answers this; SetCommState replaces it
    // ClearCommError answers this, with the bytes arrived and not read added to
    // cbInQue, as a driver counts its queue.
    ComStat comStat;
    uint32_t commErrors = 0;
    bool dtr = false;  // modem lines, set by SetCommState and EscapeCommFunction
    bool rts = false;

    // Runs first in each Open, as a driver's open that may block; when it
    // answers false the open fails.
    std::function<bool(const std::string& portName)> beforeOpen;

    // --- what happened ---
    uint64_t Now() const { return m_now; }
    // How many operations the port has seen; the one record any thread may
    // read while another uses the port (to see whether a link thread polls).
    uint64_t Operations() const { return m_operations.load(); }
    // One entry per call: name and arguments, e.g. "ReadFile(8)", "Sleep(100)".
    std::vector<std::string> calls;
    // Every byte written, and each write's bytes on their own.
    Bytes written;
    std::vector<Bytes> writes;
    std::string openedName;
    uint32_t inQueue = 0;
    uint32_t outQueue = 0;
    CommTimeouts timeouts{};
    std::vector<Dcb> dcbsSet;
    int CallCount(FakeOp op) const;
    // The calls whose text starts with `prefix`.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    void ClearRecord();

    // --- CommDevice ---
    bool Open(const std::string& portName) override;
    bool IsOpen() const override { return m_open; }
    bool Close() override;
    bool SetupComm(uint32_t inQueueSize, uint32_t outQueueSize) override;
    bool SetCommTimeouts(const CommTimeouts& t) override;
    bool GetCommState(Dcb& dcb) override;
    bool SetCommState(const Dcb& dcb) override;
    bool PurgeComm(uint32_t flags) override;
    bool ClearCommError(uint32_t& errors, ComStat& stat) override;
    bool EscapeCommFunction(uint32_t function) override;
    bool ReadFile(uint8_t* buffer, uint32_t toRead, uint32_t& got) override;
    bool WriteFile(const uint8_t* buffer, uint32_t length, uint32_t& count) override;
    void Sleep(uint32_t milliseconds) override;
    std::string OpenFailureText() const override { return m_openFailure; }
    std::string OpenFailureSystemError() const override { return m_openSystemError; }
    bool IsGone() const override { return m_gone; }

private:
    struct Arrival {
        uint64_t at;
        uint8_t byte;
    };
    struct Reply {
        Bytes trigger;
        Bytes reply;
        uint64_t delayMs;
    };

    // The earliest action's time, or `limit` when none comes before it.
    uint64_t NextActionBefore(uint64_t limit) const;
    // Moves the clock to `atMs` and runs the actions due by then.
    void AdvanceTo(uint64_t atMs);
    // Records the call, counts it and answers whether it may succeed.
    bool Enter(FakeOp op, const std::string& record);

    bool m_open = false;
    bool m_unplugged = false;
    bool m_gone = false;
    std::string m_openFailure;
    std::string m_openSystemError;
    uint64_t m_now = 0;
    std::atomic<uint64_t> m_operations{0};
    std::deque<Arrival> m_incoming;  // ordered by arrival time
    std::vector<Reply> m_replies;
    std::multimap<uint64_t, std::function<void()>> m_actions;
    std::set<FakeOp> m_failAlways;
    std::map<FakeOp, std::set<int>> m_failNth;
    std::map<FakeOp, int> m_callCounts;
};
