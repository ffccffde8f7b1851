#include "handset/HandsetController.h"

#include <utility>

#include "handset/CallerDirectory.h"
#include "history/CallRecorder.h"

// The session's reports and questions, on their way from the link thread
// to the front end's view on the window's thread.
class HandsetController::ViewOnUiThread final : public HandsetView {
public:
    explicit ViewOnUiThread(HandsetController& owner) : m_owner(owner) {}

    void ShowSnapshot(const HandsetSnapshot& snapshot) override {
        m_owner.m_ui.Post([view = &m_owner.m_view, alive = m_owner.m_alive, snapshot] {
            if (*alive) view->ShowSnapshot(snapshot);
        });
    }
    void BringToFront() override {
        m_owner.m_ui.Post([view = &m_owner.m_view, alive = m_owner.m_alive] {
            if (*alive) view->BringToFront();
        });
    }
    void EndProgram() override {
        m_owner.m_ui.Post([view = &m_owner.m_view, alive = m_owner.m_alive] {
            if (*alive) view->EndProgram();
        });
    }
    std::optional<ChosenEntry> ChooseFromPhoneBook() override {
        return m_owner.Ask<std::optional<ChosenEntry>>(
            [view = &m_owner.m_view] { return view->ChooseFromPhoneBook(); }, std::nullopt);
    }
    std::optional<ConnectionSettings> AskSettings() override {
        return m_owner.Ask<std::optional<ConnectionSettings>>(
            [view = &m_owner.m_view] { return view->AskSettings(); }, std::nullopt);
    }
    void ShowMessage(const std::string& text) override {
        m_owner.Ask<bool>(
            [view = &m_owner.m_view, text] {
                view->ShowMessage(text);
                return true;
            },
            false);
    }

private:
    HandsetController& m_owner;
};

HandsetController::HandsetController(HandsetView& view, UiDispatcher& ui,
                                     const HandsetDeviceFactory& device, ClockSource clock)
    : m_view(view),
      m_ui(ui),
      m_sessionView(std::make_unique<ViewOnUiThread>(*this)),
      m_session(device(m_portPaths), std::move(clock)) {
    m_session.SetView(m_sessionView.get());
    m_session.SetPortPaths(m_portPaths);
    m_thread = std::make_unique<LinkThread>(m_session);
}

HandsetController::~HandsetController() {
    // A link left running keeps its session: the process ends without
    // tearing it down (LinkAbandoned).
    if (m_bLinkAbandoned && !m_thread->Ended()) {
        (void)m_thread.release();
    } else {
        End();
        m_thread.reset();
    }
    *m_alive = false;
}

void HandsetController::AddCallSink(CallEventSink* sink) {
    m_extraSinks.push_back(sink);
}

void HandsetController::OnHistoryChanged(std::function<void()> changed) {
    m_historyChanged = std::move(changed);
}

void HandsetController::OnLinkedNumberDropped(
    std::function<void(const std::string& number)> dropped) {
    m_linkedDropped = std::move(dropped);
}

void HandsetController::Start(const ConnectionSettings& settings, const std::string& historyPath) {
    if (Started() || Ended()) return;
    // The recorder first, so that a later sink's end of a call finds it
    // written. Its store is opened and checked on the link thread once the
    // port is up, so that the window does not wait for a long history.
    m_recorder = std::make_unique<CallRecorder>(CallRecorder::OpenLater{}, historyPath);
    m_recorder->OnHistoryChanged([this, alive = m_alive] {
        m_ui.Post([this, alive] {
            if (*alive && m_historyChanged) m_historyChanged();
        });
    });
    m_session.AddCallSink(m_recorder.get());
    for (CallEventSink* sink : m_extraSinks) m_session.AddCallSink(sink);
    m_thread->Start();
    Post([settings](HandsetSession& session) { session.Start(settings); });
    Post([recorder = m_recorder.get()](HandsetSession&) { recorder->OpenStore(); });
    if (!m_strLinkedNumber.empty()) ShowLinkedNumber(std::exchange(m_strLinkedNumber, {}));
}

void HandsetController::Post(LinkThread::Input input) {
    m_thread->Post(std::move(input));
}

void HandsetController::AskIdle(std::function<void(bool idle)> answer) {
    Post([this, alive = m_alive, answer = std::move(answer)](HandsetSession& session) {
        const bool idle = session.IsIdle();
        m_ui.Post([this, alive, answer, idle] {
            if (*alive && !Ended()) answer(idle);
        });
    });
}

void HandsetController::PauseMonitor() {
    ++m_nMonitorPauses;
    m_thread->PauseTicks();
}

void HandsetController::ResumeMonitor() {
    if (m_nMonitorPauses == 0) return;
    --m_nMonitorPauses;
    m_thread->ResumeTicks();
}

void HandsetController::SetPhoneBook(const PhoneBook& book) {
    auto directory = CallerDirectory::FromPhoneBook(book);
    Post([directory](HandsetSession& session) { session.SetCallerDirectory(directory); });
}

void HandsetController::ShowLinkedNumber(const std::string& number) {
    if (Ended()) return;
    if (!Started()) {
        m_strLinkedNumber = number;
        return;
    }
    Post([this, alive = m_alive, number](HandsetSession& session) {
        if (session.ShowLinkedNumber(number)) return;
        m_ui.Post([this, alive, number] {
            if (!*alive || m_bEnding) return;
            if (m_linkedDropped) m_linkedDropped(number);
        });
    });
}

void HandsetController::End(const std::function<void()>& showEnding) {
    if (m_bEnding) return;
    m_bEnding = true;
    const auto close = [](HandsetSession& session) { session.Close(); };
    if (!m_thread->Started()) {
        m_thread->Shutdown(close);
        return;
    }
    // What was asked of the link runs to its end (a hang-up with its
    // charge), then the port and the log are closed on the link thread. The
    // window's events go on meanwhile, so that a later quit request (a
    // signal) can cut it short; the user's own input waits.
    if (showEnding) showEnding();
    m_bWaitingForEnd = true;
    // The end's news goes through the window, which outlives the thread
    // even when the wait is given up.
    m_thread->Finish(close, [this, alive = m_alive] {
        m_ui.Post([this, alive] {
            if (*alive && m_bWaitingForEnd) m_ui.StopEvents();
        });
    });
    if (m_bCutShort) CutEndingShort();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point boundAt = Clock::now() + std::chrono::milliseconds(kEndBoundMs);
    bool boundPassed = false;
    while (!m_thread->Ended()) {
        const Clock::time_point now = Clock::now();
        if (!boundPassed && now >= boundAt) {
            boundPassed = true;
            CutEndingShort();
            continue;
        }
        Clock::time_point until = boundPassed ? Clock::time_point::max() : boundAt;
        if (m_giveUpAt) {
            if (now >= *m_giveUpAt) break;
            until = std::min(until, *m_giveUpAt);
        }
        // Rounded up, so that the wait does not wake just before it is due.
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - now);
        m_ui.RunEvents(left);
    }
    m_bWaitingForEnd = false;
    if (m_thread->Ended()) {
        // Its last call has run (or is about to return): joined at once.
        m_thread->Shutdown({});
        return;
    }
    // Stuck in a call no breaker reaches (an open that never returns):
    // joining it, or tearing the session down under it, would wait for ever.
    m_bLinkAbandoned = true;
}

void HandsetController::CutEndingShort() {
    m_bCutShort = true;
    // Asked before the end began (two requests in a row): End begins it
    // and cuts it short at once, so that the port is still closed.
    if (!m_bWaitingForEnd) return;
    m_thread->CutShort();
    // Cut short, the link ends at once; one that still does not is in a
    // call nothing can cut short, and is not waited for much longer.
    if (!m_giveUpAt) {
        m_giveUpAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(kEndGraceMs);
    }
    // The wait in End takes the new time.
    m_ui.StopEvents();
}
