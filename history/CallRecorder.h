#pragma once
// Turns the session's call events into one history record per call: written
// "in progress" when the call begins and at each change, completed when it
// ends. Runs on the link thread; each event costs at most one write, plus
// one for each earlier call still waiting to be written.

#include <atomic>
#include <ctime>
#include <deque>
#include <functional>
#include <future>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "handset/CallEvents.h"
#include "history/CallRecord.h"
#include "history/CallStore.h"

class CallRecorder final : public CallEventSink {
public:
    // Opens the store at `path` (see CallStore::Open) and closes the records
    // a crash left in progress. Without a usable store the recorder still
    // follows the calls, keeps them, and tries the store again at the next
    // call. Any trouble, at the open or with a later write, is put up in
    // CallHistoryNotice for the window.
    explicit CallRecorder(const std::string& path, std::ostream& diagnostics = std::cerr,
                          std::time_t now = std::time(nullptr));
    // The same, with the store opened later: by OpenStore, else by the
    // first event. Then the check of the whole file, which grows with the
    // history, runs on a thread of its own, and the first write waits for
    // it, so that a damaged file is put aside before anything is written.
    struct OpenLater {};
    CallRecorder(OpenLater, const std::string& path, std::ostream& diagnostics = std::cerr);
    ~CallRecorder() override;
    CallRecorder(const CallRecorder&) = delete;
    CallRecorder& operator=(const CallRecorder&) = delete;

    void OpenStore(std::time_t now = std::time(nullptr));
    // Called on the recorder's thread whenever the window's view of the
    // history may have changed: the store opened, the trouble line changed.
    void OnHistoryChanged(std::function<void()> changed) { m_changed = std::move(changed); }

    void OnCallEvent(const CallEvent& event) override;

    bool HasStore() const { return m_store != nullptr; }
    // The call being followed, if any.
    const std::optional<CallRecord>& Current() const { return m_call; }

private:
    void TryOpen(std::time_t now, bool checkElsewhere);
    // Waits for the check of the whole file, if one runs; a damaged file is
    // then put aside and a new store begun.
    void AwaitCheck();
    void Follow(const CallEvent& event);
    void Begin(CallDirection direction, const CallEvent& event);
    void Finish(const CallEvent& event);
    void FinishAt(std::time_t when);
    // Ends the on-line stretch that runs, if one does, at `when`.
    void LeaveLine(std::time_t when);
    void UpdateOutcome();
    void Save();
    // One record as it stands: an update of its row once it has one, so a
    // failed write never makes a second row.
    bool Write(CallRecord& record);
    void WriteWaiting();
    void Publish();

    std::string m_path;
    std::ostream& m_diagnostics;
    std::function<void()> m_changed;
    bool m_openTried = false;
    bool m_checkElsewhere = false;  // opened later: the check on its own thread
    std::time_t m_now = 0;          // the time of the latest event
    std::atomic<bool> m_stopCheck{false};
    std::future<CallStoreCheck> m_check;
    std::thread m_checker;
    std::unique_ptr<CallStore> m_store;
    std::string m_trouble;  // the open's trouble, as the user is told it
    std::string m_shown;    // the line last put up
    std::string m_why;      // why the last write failed

    std::optional<CallRecord> m_call;
    bool m_callSaved = true;  // the current call's record is on disk as it stands
    // Ended calls not yet on disk, oldest first, and those given up.
    std::deque<CallRecord> m_waiting;
    int m_lost = 0;
    std::time_t m_lostFirst = 0;
    std::time_t m_lostLast = 0;

    bool m_onLine = false;
    bool m_everOnLine = false;
    bool m_held = false;
    std::time_t m_onLineSince = 0;
};
