#include "history/CallRecorder.h"

#include <algorithm>

#include "history/CallHistoryNotice.h"
#include "platform/Cp932.h"

namespace {

// Beyond this many ended calls waiting for the store, the oldest is given up.
constexpr size_t kMostWaiting = 1000;

bool BeginsACall(CallEventKind kind) {
    return kind == CallEventKind::Incoming || kind == CallEventKind::OutgoingFromHandset ||
           kind == CallEventKind::OutgoingFromPhone;
}

}  // namespace

CallRecorder::CallRecorder(const std::string& path, std::ostream& diagnostics, std::time_t now)
    : CallRecorder(OpenLater{}, path, diagnostics) {
    m_checkElsewhere = false;
    OpenStore(now);
}

CallRecorder::CallRecorder(OpenLater, const std::string& path, std::ostream& diagnostics)
    : m_path(path), m_diagnostics(diagnostics), m_checkElsewhere(true) {}

CallRecorder::~CallRecorder() {
    m_stopCheck = true;
    if (m_checker.joinable()) m_checker.join();
}

void CallRecorder::OpenStore(std::time_t now) {
    if (m_openTried) return;
    m_openTried = true;
    m_now = now;
    TryOpen(now, m_checkElsewhere);
}

void CallRecorder::AwaitCheck() {
    if (!m_check.valid()) return;
    const CallStoreCheck found = m_check.get();
    m_checker.join();
    if (!found.damaged) return;
    m_diagnostics << "telvoxa: call history " << m_path << " failed its check (" << found.reason
                  << ")\n";
    m_store.reset();
    TryOpen(m_now, false);
}

void CallRecorder::TryOpen(std::time_t now, bool checkElsewhere) {
    CallStoreOpening opening = CallStore::Open(m_path, now, !checkElsewhere);
    if (opening.store && checkElsewhere && opening.trouble != CallStoreTrouble::MovedAside) {
        std::promise<CallStoreCheck> promise;
        m_check = promise.get_future();
        m_checker = std::thread([this, promise = std::move(promise)]() mutable {
            const CallStoreCheck found = CallStore::CheckWhole(m_path, m_stopCheck);
            const bool closedSome = found.closed > 0;
            promise.set_value(found);
            // Records a crash closed may be missed calls not yet seen.
            if (closedSome && m_changed) m_changed();
        });
        m_store = std::move(opening.store);
        m_trouble.clear();
        Publish();
        if (m_changed) m_changed();
        return;
    }
    m_store = std::move(opening.store);
    const std::string trouble = CallStoreTroubleText(opening, m_path, !m_store);
    // Said to the user in the window; the line here is for a terminal.
    if (!trouble.empty() && trouble != m_trouble) m_diagnostics << "telvoxa: " << trouble << "\n";
    m_trouble = trouble;
    if (m_store) {
        m_store->CloseInterrupted();
        WriteWaiting();
    }
    Publish();
    // Records a crash closed may be missed calls not yet seen.
    if (m_store && m_changed) m_changed();
}

void CallRecorder::OnCallEvent(const CallEvent& event) {
    Follow(event);
    Publish();
}

void CallRecorder::Follow(const CallEvent& event) {
    m_now = event.when;
    if (!m_openTried) {
        OpenStore(event.when);
    } else if (!m_store && BeginsACall(event.kind)) {
        // What kept the store away may have gone: a disk with room again.
        TryOpen(event.when, false);
    }
    WriteWaiting();
    switch (event.kind) {
        case CallEventKind::Incoming:
            if (m_call) FinishAt(event.when);
            Begin(CallDirection::Incoming, event);
            return;
        case CallEventKind::OutgoingFromHandset:
        case CallEventKind::OutgoingFromPhone:
            // The phone going off hook and then dialling is one call.
            if (m_call && m_call->direction == CallDirection::Outgoing && !m_everOnLine) {
                if (m_call->number.empty()) m_call->number = event.number;
                if (m_call->name.empty()) m_call->name = Cp932ToUtf8(event.name);
                m_call->lastEvent = std::max(m_call->lastEvent, event.when);
                Save();
                return;
            }
            if (m_call) FinishAt(event.when);
            Begin(CallDirection::Outgoing, event);
            return;
        default:
            break;
    }
    // The rest only make sense within a call.
    if (!m_call) return;
    m_call->lastEvent = std::max(m_call->lastEvent, event.when);
    switch (event.kind) {
        case CallEventKind::Answered:
        case CallEventKind::Resumed:
            if (!m_onLine) m_onLineSince = event.when;
            m_onLine = m_everOnLine = true;
            m_held = false;
            break;
        case CallEventKind::Held:
            LeaveLine(event.when);
            m_held = true;
            break;
        case CallEventKind::Ended:
            Finish(event);
            return;
        default:
            break;
    }
    UpdateOutcome();
    Save();
}

void CallRecorder::Begin(CallDirection direction, const CallEvent& event) {
    m_call.emplace();
    m_call->started = m_call->lastEvent = event.when;
    m_call->direction = direction;
    m_call->number = event.number;
    m_call->name = Cp932ToUtf8(event.name);
    m_call->inProgress = true;
    m_onLine = m_everOnLine = m_held = false;
    UpdateOutcome();
    Save();
}

void CallRecorder::FinishAt(std::time_t when) {
    // Cut short by the next call: ended by the phone, no charge known.
    CallEvent ended;
    ended.kind = CallEventKind::Ended;
    ended.when = when;
    Finish(ended);
}

void CallRecorder::Finish(const CallEvent& event) {
    m_call->lastEvent = std::max(m_call->lastEvent, event.when);
    LeaveLine(event.when);
    if (event.charge == ChargeKind::Yen && event.chargeYen >= 0)
        m_call->chargeYen = event.chargeYen;
    m_call->inProgress = false;
    UpdateOutcome();
    Save();
    if (!m_callSaved) {
        if (m_waiting.size() >= kMostWaiting) {
            const std::time_t started = m_waiting.front().started;
            m_lostFirst = m_lost == 0 ? started : std::min(m_lostFirst, started);
            m_lostLast = std::max(m_lostLast, started);
            ++m_lost;
            m_waiting.pop_front();
        }
        m_waiting.push_back(*m_call);
    }
    m_call.reset();
    m_callSaved = true;
}

void CallRecorder::LeaveLine(std::time_t when) {
    if (!m_onLine) return;
    // A clock set back during the call adds nothing rather than taking away.
    m_call->secondsOnLine += static_cast<int>(std::max<std::time_t>(when - m_onLineSince, 0));
    m_onLine = false;
}

void CallRecorder::UpdateOutcome() {
    CallOutcome outcome = CallOutcome::Dialled;
    if (m_call->direction == CallDirection::Incoming) {
        outcome = m_held         ? CallOutcome::HeldEnded
                  : m_everOnLine ? CallOutcome::Answered
                                 : CallOutcome::Missed;
    }
    m_call->outcome = outcome;
    // Written as it would end now, so a call cut short by a crash counts too.
    m_call->seen = outcome != CallOutcome::Missed;
}

void CallRecorder::Save() {
    m_callSaved = Write(*m_call);
}

bool CallRecorder::Write(CallRecord& record) {
    AwaitCheck();
    if (!m_store) return false;
    if (record.id != 0) {
        switch (m_store->Update(record)) {
            case CallStore::UpdateResult::Written:
                return true;
            case CallStore::UpdateResult::Failed:
                // Kept, and written again at the next chance.
                m_why = CallWriteFailedWhy(m_store->LastError(), m_store->LastErrorWasDiskFull());
                return false;
            case CallStore::UpdateResult::NoSuchRecord:
                break;  // its row went (the file was replaced): a new one
        }
    }
    if (const auto id = m_store->Insert(record)) {
        record.id = *id;
        return true;
    }
    m_why = CallWriteFailedWhy(m_store->LastError(), m_store->LastErrorWasDiskFull());
    return false;
}

void CallRecorder::WriteWaiting() {
    // Oldest first, and no further once one fails: the rest would too.
    while (!m_waiting.empty() && Write(m_waiting.front())) m_waiting.pop_front();
}

void CallRecorder::Publish() {
    int waiting = static_cast<int>(m_waiting.size());
    std::time_t first = 0;
    std::time_t last = 0;
    const auto span = [&first, &last](std::time_t started, bool isFirst) {
        first = isFirst ? started : std::min(first, started);
        last = std::max(last, started);
    };
    for (const CallRecord& record : m_waiting) span(record.started, &record == &m_waiting.front());
    if (m_call && !m_callSaved) {
        span(m_call->started, waiting == 0);
        ++waiting;
    }
    if (m_lost > 0) {
        span(m_lostFirst, waiting == 0);
        span(m_lostLast, false);
    }
    // Without a store the open's line says why; with one, the write's words.
    const std::string why = m_store ? m_why : CallHistoryUnusableWhy();
    const std::string line =
        JoinedLines(m_trouble, UnsavedCallsText(waiting, m_lost, first, last, why));
    if (line == m_shown) return;
    if (!line.empty() && line != m_trouble) m_diagnostics << "telvoxa: " << line << "\n";
    m_shown = line;
    CallHistoryNotice::Set(line);
    if (m_changed) m_changed();
}
