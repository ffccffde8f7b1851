// The skin buttons' actions: the handset is a dialler of its own (digits
// into the number line, send, end, clear, phone book), and the control pad's
// keys, which go to the phone as they are.

#include "handset/HandsetSession.h"

#include <utility>

#include "handset/SkinButtons.h"

void HandsetSession::OnButton(int index) {
    if (IsDialKey(index)) {
        OnDialKey(index);
        return;
    }
    switch (index) {
        case BTN_SEND:
            OnSendButton();
            break;
        case BTN_QUIT:
            OnQuitButton();
            break;
        case BTN_CLEAR:
            OnClearButton();
            break;
        case BTN_CALL:
            OnCallButton();
            break;
        default:
            break;
    }
}

void HandsetSession::OnDialKey(int index) {
    const char character = DialCharacter(index);
    if (!character) return;
    m_strDisplay2.clear();
    // A charge on show is replaced by the first digit.
    if (m_bAppendDigits)
        m_strDisplay3 += character;
    else
        m_strDisplay3.assign(1, character);
    m_bAppendDigits = true;
    SetPicture(0);
    Publish(true);
    // The number line may be typed into without a phone; tones need one.
    if (m_bLinkLost) {
        ShowNoConnection();
        return;
    }
    // Only a phone that is off hook or connected takes digits one by one.
    if (m_nCallState == CALL_OFFHOOK || m_nCallState == CALL_ONLINE)
        m_link.SendDigit(std::string(1, character));
}

void HandsetSession::OnSendButton() {
    // No call begins on a dead line.
    if (m_bLinkLost) {
        ShowNoConnection();
        return;
    }
    switch (m_nCallState) {
        case CALL_IDLE: {
            m_bLateReportsDue = false;
            m_link.ClearBuf(0);
            // A charge on show is no number: the phone goes off hook without one.
            const std::string number = m_bAppendDigits ? m_strDisplay3 : std::string();
            m_link.Dial(number);
            m_nCallState = CALL_OFFHOOK;
            SetPicture(0);
            Report(CallEventKind::OutgoingFromHandset, number, m_strDisplay2);
            Publish(true);
            break;
        }
        case CALL_RECEIVING:
            // Whether or not the phone confirms, the call counts as answered.
            m_link.Answer();
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            m_nCallState = CALL_ONLINE;
            SetPicture(0);
            Report(CallEventKind::Answered);
            Publish(true);
            break;
        case CALL_HOLDING:
            // The next tick repaints.
            m_link.ResumeCall();
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            m_nCallState = CALL_ONLINE;
            Report(CallEventKind::Resumed);
            Publish(false);
            break;
        default:
            break;
    }
}

void HandsetSession::OnQuitButton() {
    // Without a phone there is no call to end: only the lines are cleared.
    if (m_bLinkLost) {
        BackToIdle();
        ShowNoConnection();
        return;
    }
    switch (m_nCallState) {
        case CALL_RECEIVING:
            m_link.HoldCall();
            m_nCallState = CALL_HOLDING;
            SetPicture(0);
            Report(CallEventKind::Held);
            break;
        case CALL_ONLINE: {
            int charge = 0;
            uint8_t block2[2] = {};
            m_link.HangUp(&charge, block2);
            m_nCallState = CALL_IDLE;
            m_strDisplay2.clear();
            m_strDisplay3 = UserEndedChargeText(charge);
            // The charge stays on show until the next dial key replaces it.
            m_bAppendDigits = false;
            ReportEnded(CallEndedBy::User, charge, true);
            break;
        }
        case CALL_HOLDING:
            m_link.EndHeldCall();
            m_nCallState = CALL_IDLE;
            m_strDisplay2.clear();
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(1);
            ReportEnded(CallEndedBy::User, 0, false);
            break;
        case CALL_IDLE:
        case CALL_OFFHOOK:
        case CALL_SENDING: {
            const bool callGoing = m_nCallState != CALL_IDLE;
            // The phone's reply to the hang-up is not wanted by the next poll.
            m_link.HangUp();
            m_link.ClearBuf(0);
            m_nCallState = CALL_IDLE;
            m_strDisplay2.clear();
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(1);
            if (callGoing) {
                ReportEnded(CallEndedBy::User, 0, false);
                ExpectLateReports();
            }
            break;
        }
        default:
            return;
    }
    Publish(true);
}

void HandsetSession::OnClearButton() {
    m_strDisplay2.clear();
    m_strDisplay3 = ClearLastCharacter(m_strDisplay3, m_bAppendDigits);
    if (m_strDisplay3.empty()) SetPicture(1);
    m_bAppendDigits = true;
    Publish(true);
}

void HandsetSession::OnClearAll() {
    m_strDisplay2.clear();
    m_strDisplay3.clear();
    m_bAppendDigits = true;
    SetPicture(1);
    Publish(true);
}

void HandsetSession::OnCallButton() {
    if (m_nCallState != CALL_IDLE) return;
    StopMonitor();
    const std::optional<ChosenEntry> chosen = m_view ? m_view->ChooseFromPhoneBook() : std::nullopt;
    if (chosen) ShowChosenEntry(*chosen);
    StartMonitor();
}

void HandsetSession::ShowChosenEntry(const ChosenEntry& entry) {
    if (m_nCallState != CALL_IDLE) return;
    m_strDisplay2 = entry.name;
    m_strDisplay3 = entry.number;
    // Further dial keys extend the chosen number.
    m_bAppendDigits = true;
    SetPicture(0);
    Publish(true);
}

bool HandsetSession::ShowLinkedNumber(const std::string& number) {
    if (m_nCallState != CALL_IDLE) return false;
    const std::string* name = m_directory ? m_directory->NameFor(number) : nullptr;
    ShowChosenEntry({name ? *name : std::string(), number});
    m_strLinkedWithoutName = name ? std::string() : number;
    return true;
}

void HandsetSession::SetCallerDirectory(std::shared_ptr<const CallerDirectory> directory) {
    m_directory = std::move(directory);
    const std::string linked = std::exchange(m_strLinkedWithoutName, {});
    // Only while the number is still on show as it came, nothing typed or
    // dialled since.
    if (linked.empty() || !m_directory || m_nCallState != CALL_IDLE) return;
    if (m_strDisplay3 != linked || !m_strDisplay2.empty()) return;
    if (const std::string* name = m_directory->NameFor(linked)) ShowChosenEntry({*name, linked});
}

void HandsetSession::SendKey(const std::string& text) {
    if (m_bLinkLost) {
        ShowNoConnection();
        return;
    }
    m_link.SendKey(text);
}
