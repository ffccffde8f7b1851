#pragma once
// The running of one handset, whatever window shows it: the session, the
// link thread that runs it, the call history's recorder and any other call
// sinks, the idle guard of the menu commands, the pauses of the monitoring
// and the bounded end of the run. The front end hands it a UiDispatcher (its
// thread and its event loop) and a HandsetView, which the controller calls on
// the window's thread only: questions of the session wait there for the
// user's answer, or get their fallback once the run ends.
//
// Every member function is for the window's thread unless it says otherwise.

#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "handset/CallEvents.h"
#include "handset/HandsetSession.h"
#include "handset/HandsetView.h"
#include "handset/LinkThread.h"

class CallRecorder;
class PhoneBook;

// The window's thread, as the controller uses it.
class UiDispatcher {
public:
    virtual ~UiDispatcher() = default;
    // Any thread: runs `fn` on the window's thread soon, in the order posted.
    // Dropped when the window is gone.
    virtual void Post(std::function<void()> fn) = 0;
    // The window's thread: runs the window's events, the user's input held
    // back, until StopEvents is called from one of them or `most` has
    // passed. The end of the run waits like this, so that a later quit
    // request (a signal) still reaches it.
    virtual void RunEvents(std::chrono::milliseconds most) = 0;
    // The window's thread: RunEvents returns. Does nothing outside it.
    virtual void StopEvents() = 0;
};

// Makes the session's serial device; `paths` are the ports' device paths the
// settings hand in (the device reads them at each open).
using HandsetDeviceFactory =
    std::function<std::unique_ptr<CommDevice>(std::shared_ptr<const PortPaths> paths)>;

class HandsetController {
public:
    // The link is bounded to this at the end of the run, then cut short; one
    // cut short that has not ended kEndGraceMs later is left running.
    static constexpr int kEndBoundMs = 5000;
    static constexpr int kEndGraceMs = 500;

    // `view` and `ui` are not owned and outlive the controller.
    HandsetController(HandsetView& view, UiDispatcher& ui, const HandsetDeviceFactory& device,
                      ClockSource clock = {});
    ~HandsetController();
    HandsetController(const HandsetController&) = delete;
    HandsetController& operator=(const HandsetController&) = delete;

    // Before Start: another sink of the call events (not owned; it lives
    // until the controller has ended). Sinks hear the events after the call
    // history's recorder, in the order added.
    void AddCallSink(CallEventSink* sink);
    // Before Start: runs on the window's thread whenever the call history
    // may look different (its store opened, a call written, a trouble line).
    void OnHistoryChanged(std::function<void()> changed);
    // Before Start: runs on the window's thread when a linked number came
    // while a call goes on: the number was dropped and the user is told.
    void OnLinkedNumberDropped(std::function<void(const std::string& number)> dropped);

    // Starts the link thread: the session opens the port with `settings`
    // (else the open error and the settings loop), puts the phone on hook,
    // shows idle and monitors; the call history at `historyPath` is opened on
    // the link thread after that. A linked number given earlier is shown.
    void Start(const ConnectionSettings& settings, const std::string& historyPath);
    bool Started() const { return m_thread->Started(); }

    // Any thread: queues an input for the session.
    void Post(LinkThread::Input input);
    // Asks the session, after every input already posted, whether it is
    // idle; `answer` runs on the window's thread unless the run has ended.
    void AskIdle(std::function<void(bool idle)> answer);
    // The monitoring pauses while a menu, dialog or message of the window is
    // open; pauses nest, and a resume without a pause does nothing.
    void PauseMonitor();
    void ResumeMonitor();
    // The caller names of the phone book, for the calls from now on.
    void SetPhoneBook(const PhoneBook& book);
    // A number from a link (dialled form): shown once the session is idle
    // (after Start when it has not run yet), with its phone book name; while
    // a call goes on it is dropped (OnLinkedNumberDropped). Ignored once the
    // run has ended.
    void ShowLinkedNumber(const std::string& number);

    // The window's run is over (its end code given): the session's
    // questions get their fallback and AskIdle's answers no longer run.
    void MarkEnded() { m_bEnded = true; }
    bool Ended() const { return m_bEnded || m_bEnding; }

    // The end of the run; once. The link runs the inputs already queued, for
    // at most kEndBoundMs while the window's events go on (RunEvents), closes
    // the port and the log, and ends. `showEnding` runs first when the link
    // had started, so that the window can say that the program ends.
    void End(const std::function<void()>& showEnding = {});
    // A second quit request: the inputs still queued are no longer waited
    // for. Before End, End cuts short at once (the port is still closed).
    void CutEndingShort();
    // True after End left the link thread stuck in a call that nothing cuts
    // short: the session must not be torn down while the process lives.
    bool LinkAbandoned() const { return m_bLinkAbandoned; }

    // The link thread and its session. The session may be touched only on
    // the link thread, or after Thread().Flush() while nothing else is posted.
    LinkThread& Thread() { return *m_thread; }
    HandsetSession& Session() { return m_session; }
    const CallRecorder* Recorder() const { return m_recorder.get(); }

    // Any thread (the link thread): runs `ask` on the window's thread and
    // waits for its answer; `fallback` once the run ended, before or meanwhile.
    template <class T>
    T Ask(std::function<T()> ask, T fallback);

private:
    // What the session reports, carried to the front end's view.
    class ViewOnUiThread;

    HandsetView& m_view;
    UiDispatcher& m_ui;
    std::unique_ptr<ViewOnUiThread> m_sessionView;
    // Filled by the session from the settings; the device reads it at open.
    std::shared_ptr<PortPaths> m_portPaths = std::make_shared<PortPaths>();
    HandsetSession m_session;
    std::unique_ptr<CallRecorder> m_recorder;
    std::vector<CallEventSink*> m_extraSinks;
    std::function<void()> m_historyChanged;
    std::function<void(const std::string&)> m_linkedDropped;
    std::unique_ptr<LinkThread> m_thread;
    int m_nMonitorPauses = 0;
    // A linked number that came before Start.
    std::string m_strLinkedNumber;
    bool m_bEnded = false;
    // End has begun; the ending's state.
    bool m_bEnding = false;
    bool m_bCutShort = false;
    bool m_bWaitingForEnd = false;
    std::optional<std::chrono::steady_clock::time_point> m_giveUpAt;
    bool m_bLinkAbandoned = false;
    // Shared with what was posted to the window, which may run after this ends.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

template <class T>
T HandsetController::Ask(std::function<T()> ask, T fallback) {
    auto answer = std::make_shared<std::promise<T>>();
    std::future<T> answered = answer->get_future();
    // Once the run is ending, no dialog opens for a session that finishes.
    m_ui.Post([this, alive = m_alive, answer, ask = std::move(ask), fallback] {
        answer->set_value(!*alive || Ended() ? fallback : ask());
    });
    // The window never waits for the link, but the link may wait for the
    // window; at the end of the run the answer is no longer wanted.
    while (answered.wait_for(std::chrono::milliseconds(20)) != std::future_status::ready) {
        if (m_thread->Stopping()) return fallback;
    }
    return answered.get();
}
