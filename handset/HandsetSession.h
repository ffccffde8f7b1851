#pragma once
// The handset without its window: the call state machine, the four display
// texts and the picture, the skin buttons' and keys' actions, the monitoring
// tick and the settings loop, all driving the phone link. One thread runs
// it (LinkThread); it reports to the window through HandsetView after every
// step and asks the window for what only a window can do.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "handset/CallEvents.h"
#include "handset/CallerDirectory.h"
#include "handset/HandsetView.h"
#include "handset/StatusTexts.h"
#include "link/PhoneLink.h"

// How a reconnection try ended.
enum class ReconnectTry {
    Opened,
    Failed,
    // An input arrived meanwhile: the try was abandoned, to start anew.
    GaveWay,
};

// A monitoring timer never runs faster than this.
inline constexpr int MIN_TIMER_PERIOD = 10;
// The most polls one tick makes while the phone's bytes keep waiting: a full
// receive queue of the port is caught up within a tick, and the work of a
// tick stays bounded on a line that never stops sending.
inline constexpr int MAX_POLLS_PER_TICK = 4096;

class HandsetSession {
public:
    HandsetSession(std::unique_ptr<CommDevice> device, ClockSource clock = {});

    // Not owned; each may be null. Set before the first step.
    void SetView(HandsetView* view) { m_view = view; }
    // Every sink hears every call event, in the order they were added.
    void AddCallSink(CallEventSink* sink) { m_callSinks.push_back(sink); }
    // A linked number still on show without a name gets the new book's.
    void SetCallerDirectory(std::shared_ptr<const CallerDirectory> directory);
    // The wall clock of the call events; tests fix it.
    void SetEventClock(std::function<std::time_t()> now) { m_eventClock = std::move(now); }
    // Where the settings' device paths go; the device's port resolver reads
    // it. Written and read on the session's thread only.
    void SetPortPaths(std::shared_ptr<PortPaths> paths) { m_portPaths = std::move(paths); }

    // Start-up with the port: "Connecting...", the port opened (else the open
    // error and the settings loop), the phone put on hook, idle, monitoring.
    void Start(const ConnectionSettings& settings);
    // The end of the run: the port and the communication log closed.
    void Close();

    // One monitoring tick: a poll chosen by the call state, and another at
    // once while more of the phone's bytes are waiting, up to
    // MAX_POLLS_PER_TICK or until an input waits (the link thread's nudge).
    void OnTimer();

    // The single action of skin button `index` (a press or its key).
    void OnButton(int index);
    void OnDialKey(int index);
    void OnSendButton();
    void OnQuitButton();
    void OnClearButton();
    void OnClearAll();
    // The phone book button: the window shows the phone book (idle only).
    void OnCallButton();
    // Command 32774: the settings dialog and the reconnection loop (idle only).
    void OnSettings();
    // A name and number chosen in a list of the window (the call history):
    // shown as a phone book entry is, so that send dials it (idle only).
    void ShowChosenEntry(const ChosenEntry& entry);
    // A number handed in from outside (a link), in dialled form: shown with
    // its phone book name as a chosen entry is, dialled only by send. False,
    // with nothing changed, unless idle.
    bool ShowLinkedNumber(const std::string& number);
    // A key or a character of the control pad.
    void SendKey(const std::string& text);

    // The cable pulled: once a read or write found the device gone, the port
    // is closed, the handset shows "No Connection" and is idle again (a call
    // in progress is over; an idle handset keeps its number and charge), and
    // TryReconnect opens the port again with the cable's whole opening until
    // it comes back. Checked after every step. While the link is lost
    // nothing goes to the phone: send, the dial keys' tones and the pad's
    // keys only show "No Connection"; the menu commands stay available.
    void CheckLink();
    bool LinkLost() const { return m_bLinkLost; }
    // One try. Its waits give way to an input (GaveWay); a port the session
    // holds open already is kept as it is (Opened).
    ReconnectTry TryReconnect();
    // While the link is lost: the clock in the status line, each minute.
    void ShowClockWhileLost();
    bool IsIdle() const { return m_nCallState == CALL_IDLE; }
    // Any thread: the port is being opened by the start-up or the settings
    // loop, whose handshake nobody is waiting for at the end of the run.
    bool Opening() const { return m_bOpening.load(); }

    // Monitoring, as the thread running the session reads it.
    void StartMonitor();
    void StopMonitor() { m_bMonitoring = false; }
    bool IsMonitoring() const { return m_bMonitoring; }
    // The period the timer runs at: the interval, at least MIN_TIMER_PERIOD.
    int MonitorPeriod() const;
    // Changes with every StartMonitor, which restarts the period.
    uint64_t MonitorGeneration() const { return m_nMonitorGeneration; }

    HandsetSnapshot Snapshot() const;
    CPhoneLink& Link() { return m_link; }

private:
    // Tests set a state directly through it (tests/support/SessionAccess.h).
    friend struct HandsetSessionAccess;

    int m_nCallState = CALL_IDLE;
    std::string m_strDisplay1;
    std::string m_strDisplay2;
    std::string m_strDisplay3;
    std::string m_strAntenna;
    // Dial keys append to the number line when set, replace it when clear.
    bool m_bAppendDigits = true;
    int m_nPicture = 0;
    int m_nMonitorInterval = 250;

    // 1: the idle picture, 2: the incoming-call picture, other: none.
    void SetPicture(int which);
    void BackToIdle();
    // Hands the display to the window; `repaint` asks for a full repaint.
    void Publish(bool repaint);
    // The settings dialog until the port opens; false when the user chose to
    // end the program instead.
    bool RunReconnectionLoop();
    void ApplySettings(const ConnectionSettings& settings);
    // CommOpen, marked as the opening.
    bool OpenPort();
    // The port opened again: the link is no longer lost.
    void LinkBack();
    // Instead of reaching the phone while the link is lost.
    void ShowNoConnection();

    // One poll for the call state and what its answer changes.
    void PollOnce();
    // An input is queued for the session's thread: a catch-up gives way.
    bool InputWaiting() const;
    void TickIdle();
    void TickOffHook();
    void TickSending();
    void TickReceiving();
    void TickOnLine();
    void TickHolding();

    void Report(CallEventKind kind, std::string number = {}, std::string name = {});
    void ReportEnded(CallEndedBy by, int charge, bool withCharge);
    // The user ended a call the phone was still placing: what the phone said
    // of it before it heard the hang-up may come after it.
    void ExpectLateReports();
    // The idle poll read the phone placing a call: a new call, or
    // the late report of the one just ended, which the history already has.
    void ReportPlacedOnPhone();

    CPhoneLink m_link;
    ClockSource m_clock;
    std::function<std::time_t()> m_eventClock;
    HandsetView* m_view = nullptr;
    std::vector<CallEventSink*> m_callSinks;
    std::shared_ptr<const CallerDirectory> m_directory;
    // The linked number shown before any name was known for it (a link that
    // started the program while its book was still being read).
    std::string m_strLinkedWithoutName;
    std::shared_ptr<PortPaths> m_portPaths;
    std::atomic<bool> m_bOpening{false};
    bool m_bMonitoring = false;
    bool m_bLinkLost = false;
    uint64_t m_nMonitorGeneration = 0;
    // Set by a tick that found nothing to show anew.
    bool m_bInvalidate = false;
    // Until the phone says the call ended (at most kLateReportSeconds): a report of
    // the phone placing a call is the late one of the call the user ended.
    bool m_bLateReportsDue = false;
    std::time_t m_tLateReportsSince = 0;
    // The call state follows such a late report, but the history heard of
    // no new call: its end is not told, its answer makes it a call of its own.
    bool m_bUnreportedCall = false;

    // What the polls hand back, kept from tick to tick.
    char m_szIdleAnswer[IDLE_BUFFER_SIZE] = {};
    int m_nCharge = 0;
    uint8_t m_block3[3] = {};
    uint8_t m_block2[2] = {};
};
