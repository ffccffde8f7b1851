// The monitoring tick: the polls of the phone chosen by the call state, the
// state machine's moves and the status display.

#include <cstring>

#include "handset/HandsetSession.h"

namespace {

// The phone's byte for a call that ended (its answer to the PC's hang-up).
constexpr uint8_t kPhoneHungUp = 0xA6;

}  // namespace

void HandsetSession::OnTimer() {
    // While more has come than one poll reads, the next poll follows at once,
    // so that a fast phone or a queue built up meanwhile is caught up within
    // the tick. Every byte is acted on in order; the display is handed over
    // once, so a status byte with more behind it only updates the texts and
    // the window shows the latest. An input that arrives ends the catch-up
    // after the poll in progress.
    // The communication log keeps the first poll's lines as they are; the
    // plain read lines of the polls after it, all alike, become one count.
    bool repaint = false;
    for (int polls = 1;; ++polls) {
        m_bInvalidate = true;
        PollOnce();
        repaint = repaint || m_bInvalidate;
        if (polls >= MAX_POLLS_PER_TICK || InputWaiting() || m_link.Device().IsGone()) break;
        if (m_link.WaitingBytes() == 0) break;
        m_link.CountPlainReads(true);
    }
    m_link.CountPlainReads(false);
    if (const int caughtUp = m_link.TakeCountedReads())
        m_link.LogFormat("OnTimer() Caught Up %d Byte(s)", caughtUp);
    if (repaint) Publish(true);
}

void HandsetSession::PollOnce() {
    switch (m_nCallState) {
        case CALL_IDLE:
            TickIdle();
            break;
        case CALL_OFFHOOK:
            TickOffHook();
            break;
        case CALL_SENDING:
            TickSending();
            break;
        case CALL_RECEIVING:
            TickReceiving();
            break;
        case CALL_ONLINE:
            TickOnLine();
            break;
        case CALL_HOLDING:
            TickHolding();
            break;
        default:
            break;
    }
}

bool HandsetSession::InputWaiting() const {
    const WaitBreaker* breaker = m_link.Device().Breaker();
    return breaker != nullptr && breaker->Nudged();
}

void HandsetSession::BackToIdle() {
    m_nCallState = CALL_IDLE;
    m_strDisplay2.clear();
    m_strDisplay3.clear();
    m_bAppendDigits = true;
    SetPicture(1);
}

void HandsetSession::TickIdle() {
    switch (m_link.PollIdle(m_szIdleAnswer)) {
        case 1: {
            m_nCallState = CALL_RECEIVING;
            m_strDisplay1 = "Receiving...";
            const std::string number(m_szIdleAnswer,
                                     strnlen(m_szIdleAnswer, sizeof m_szIdleAnswer));
            m_strDisplay3 = number;
            m_bAppendDigits = true;
            SetPicture(2);
            std::string name;
            if (number.empty()) {
                m_strDisplay2 = "Not Notified";
            } else if (const std::string* found =
                           m_directory ? m_directory->NameFor(number) : nullptr) {
                // Without a match the name line keeps what it held.
                m_strDisplay2 = name = *found;
            }
            m_bLateReportsDue = false;
            Report(CallEventKind::Incoming, number, name);
            if (m_view) m_view->BringToFront();
            break;
        }
        case 2:
            m_nCallState = CALL_SENDING;
            SetPicture(0);
            ReportPlacedOnPhone();
            break;
        case 3:
            m_nCallState = CALL_OFFHOOK;
            SetPicture(0);
            ReportPlacedOnPhone();
            break;
        case 0: {
            // The phone's word that the call ended comes after all it said of
            // the call; a status byte may have been on its way before them.
            if (static_cast<uint8_t>(m_szIdleAnswer[0]) == kPhoneHungUp) m_bLateReportsDue = false;
            // Repaint only when the signal or the minute changed.
            const std::string signal = SignalText(static_cast<uint8_t>(m_szIdleAnswer[0]));
            const std::string clock = ClockText(m_clock());
            if (signal != m_strAntenna || clock != m_strDisplay1) {
                m_strAntenna = signal;
                m_strDisplay1 = clock;
            } else {
                m_bInvalidate = false;
            }
            break;
        }
        default:
            // The poll gave way to an input: nothing was read.
            m_bInvalidate = false;
            break;
    }
}

void HandsetSession::TickOffHook() {
    switch (m_link.PollOffHook()) {
        case 1:
            m_nCallState = CALL_SENDING;
            break;
        case 2:
            m_link.ClearBuf(0);
            BackToIdle();
            ReportEnded(CallEndedBy::Phone, 0, false);
            break;
        case 0:
            m_strDisplay1 = "Off Hook";
            break;
        default:
            m_bInvalidate = false;
            break;
    }
}

void HandsetSession::TickSending() {
    switch (m_link.PollSending()) {
        case 1:
            m_nCallState = CALL_ONLINE;
            Report(CallEventKind::Answered);
            break;
        case 2:
            m_link.ClearBuf(0);
            BackToIdle();
            ReportEnded(CallEndedBy::Phone, 0, false);
            break;
        case 0:
            m_strDisplay1 = "Sending...";
            break;
        default:
            m_bInvalidate = false;
            break;
    }
}

void HandsetSession::TickReceiving() {
    switch (m_link.PollRinging()) {
        case 1:
            BackToIdle();
            ReportEnded(CallEndedBy::Phone, 0, false);
            break;
        case 2:
            m_nCallState = CALL_ONLINE;
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(0);
            Report(CallEventKind::Answered);
            break;
        case 3:
            m_nCallState = CALL_HOLDING;
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(0);
            Report(CallEventKind::Held);
            break;
        case 0:
            m_strDisplay1 = "Receiving...";
            break;
        default:
            m_bInvalidate = false;
            break;
    }
}

void HandsetSession::TickOnLine() {
    switch (m_link.PollOnLine(&m_nCharge, m_block3, m_block2)) {
        case 1:
        case 2:
            // The charge stays on show until the next dial key replaces it.
            m_nCallState = CALL_IDLE;
            m_strDisplay2.clear();
            m_strDisplay3 = PhoneEndedChargeText(m_nCharge);
            m_bAppendDigits = false;
            ReportEnded(CallEndedBy::Phone, m_nCharge, true);
            break;
        case 0:
            m_strDisplay1 = "On Line";
            m_strAntenna = SignalText(m_block3[0]);
            break;
        default:
            m_bInvalidate = false;
            break;
    }
}

void HandsetSession::TickHolding() {
    switch (m_link.PollHolding()) {
        case 1:
        case 2:
            BackToIdle();
            ReportEnded(CallEndedBy::Phone, 0, false);
            break;
        case 3:
            m_nCallState = CALL_ONLINE;
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(0);
            Report(CallEventKind::Resumed);
            break;
        case 0:
            m_strDisplay1 = "Holding";
            break;
        default:
            m_bInvalidate = false;
            break;
    }
}
