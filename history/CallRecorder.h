#pragma once
// Turns the session's call events into one history record per call: written
// "in progress" when the call begins and at each change, completed when it
// ends. Runs on the link thread; each event costs at most one write.

#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
#include <string>

#include "handset/CallEvents.h"
#include "history/CallRecord.h"
#include "history/CallStore.h"

class CallRecorder final : public CallEventSink {
public:
    // Opens the store at `path` (see CallStore::Open) and closes the records
    // a crash left in progress. Without a usable store the recorder still
    // follows the calls and writes nothing. Any trouble, at the open or with
    // a later write, is put up in CallHistoryNotice for the window.
    explicit CallRecorder(const std::string& path, std::ostream& diagnostics = std::cerr,
                          std::time_t now = std::time(nullptr));

    void OnCallEvent(const CallEvent& event) override;

    bool HasStore() const { return m_store != nullptr; }
    // The call being followed, if any.
    const std::optional<CallRecord>& Current() const { return m_call; }

private:
    void Begin(CallDirection direction, const CallEvent& event);
    void Finish(const CallEvent& event);
    void FinishAt(std::time_t when);
    // Ends the on-line stretch that runs, if one does, at `when`.
    void LeaveLine(std::time_t when);
    void UpdateOutcome();
    void Save();

    std::ostream& m_diagnostics;
    std::unique_ptr<CallStore> m_store;
    std::string m_trouble;       // the open's trouble, as the user is told it
    bool m_writeFailed = false;  // said once until a write succeeds again

    std::optional<CallRecord> m_call;
    bool m_onLine = false;
    bool m_everOnLine = false;
    bool m_held = false;
    std::time_t m_onLineSince = 0;
};
