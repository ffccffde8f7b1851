#include "history/CallRecorder.h"

#include <algorithm>

#include "history/CallHistoryNotice.h"
#include "platform/Cp932.h"

CallRecorder::CallRecorder(const std::string& path, std::ostream& diagnostics, std::time_t now)
    : m_diagnostics(diagnostics) {
    CallStoreOpening opening = CallStore::Open(path, now);
    m_store = std::move(opening.store);
    m_trouble = CallStoreTroubleText(opening, path, !m_store);
    // Said to the user in the window; the line here is for a terminal.
    if (!m_trouble.empty()) m_diagnostics << "telvoxa: " << m_trouble << "\n";
    CallHistoryNotice::Set(m_trouble);
    if (m_store) m_store->CloseInterrupted();
}

void CallRecorder::OnCallEvent(const CallEvent& event) {
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
    m_call.reset();
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
    if (!m_store) return;
    bool saved = false;
    if (m_call->id != 0) saved = m_store->Update(*m_call);
    if (!saved) {
        // A record the first write could not make is made by the next.
        if (const auto id = m_store->Insert(*m_call)) {
            m_call->id = *id;
            saved = true;
        }
    }
    if (!saved && !m_writeFailed) {
        const std::string text =
            CallWriteFailedText(m_store->LastError(), m_store->LastErrorWasDiskFull());
        m_diagnostics << "telvoxa: " << text << "\n";
        CallHistoryNotice::Set(text);
    } else if (saved && m_writeFailed) {
        CallHistoryNotice::Set(m_trouble);
    }
    m_writeFailed = !saved;
}
