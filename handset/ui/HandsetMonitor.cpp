// The handset window's monitoring cycle: the timer, one poll of the phone per
// tick chosen by the call state, and the reconnection loop.

#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cstring>

#include "app/ui/SettingsDlg.h"
#include "app/ui/UiSeams.h"
#include "handset/ui/HandsetDlg.h"

void CHandsetDlg::StartMonitor() {
    // Starting a running timer only restarts its period.
    m_monitorTimer.start(std::max(m_nMonitorInterval, MIN_TIMER_PERIOD));
}

void CHandsetDlg::StopMonitor() {
    m_monitorTimer.stop();
}

std::string CHandsetDlg::CurrentClockText() const {
    return ClockText(m_clock());
}

void CHandsetDlg::OnTimer(int idEvent) {
    if (idEvent != MONITOR_TIMER_ID) return;
    UpdateData(true);
    m_bInvalidate = true;
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
    if (m_bInvalidate) update();
    UpdateData(false);
}

void CHandsetDlg::BackToIdle() {
    m_nCallState = CALL_IDLE;
    m_strDisplay2.clear();
    m_strDisplay3.clear();
    m_bAppendDigits = true;
    SetPicture(1);
}

void CHandsetDlg::TickIdle() {
    switch (m_link.PollIdle(m_szIdleAnswer)) {
        case 1: {
            m_nCallState = CALL_RECEIVING;
            m_strDisplay1 = "Receiving...";
            const std::string number(m_szIdleAnswer,
                                     strnlen(m_szIdleAnswer, sizeof m_szIdleAnswer));
            m_strDisplay3 = number;
            m_bAppendDigits = true;
            SetPicture(2);
            if (number.empty())
                m_strDisplay2 = "Not Notified";
            else
                LookUpCaller(number);
            ShowTopmost();
            break;
        }
        case 2:
            m_nCallState = CALL_SENDING;
            SetPicture(0);
            break;
        case 3:
            m_nCallState = CALL_OFFHOOK;
            SetPicture(0);
            break;
        case 0: {
            // Repaint only when the signal or the minute changed.
            const std::string signal = SignalText(static_cast<uint8_t>(m_szIdleAnswer[0]));
            const std::string clock = CurrentClockText();
            if (signal != m_strAntenna || clock != m_strDisplay1) {
                m_strAntenna = signal;
                m_strDisplay1 = clock;
            } else {
                m_bInvalidate = false;
            }
            break;
        }
        default:
            break;
    }
}

void CHandsetDlg::TickOffHook() {
    switch (m_link.PollOffHook()) {
        case 1:
            m_nCallState = CALL_SENDING;
            break;
        case 2:
            m_link.ClearBuf(0);
            BackToIdle();
            break;
        case 0:
            m_strDisplay1 = "Off Hook";
            break;
        default:
            break;
    }
}

void CHandsetDlg::TickSending() {
    switch (m_link.PollSending()) {
        case 1:
            m_nCallState = CALL_ONLINE;
            break;
        case 2:
            m_link.ClearBuf(0);
            BackToIdle();
            break;
        case 0:
            m_strDisplay1 = "Sending...";
            break;
        default:
            break;
    }
}

void CHandsetDlg::TickReceiving() {
    switch (m_link.PollRinging()) {
        case 1:
            BackToIdle();
            break;
        case 2:
            m_nCallState = CALL_ONLINE;
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(0);
            break;
        case 3:
            m_nCallState = CALL_HOLDING;
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(0);
            break;
        case 0:
            m_strDisplay1 = "Receiving...";
            break;
        default:
            break;
    }
}

void CHandsetDlg::TickOnLine() {
    switch (m_link.PollOnLine(&m_nCharge, m_block3, m_block2)) {
        case 1:
        case 2:
            // The charge stays on show until the next dial key replaces it.
            m_nCallState = CALL_IDLE;
            m_strDisplay2.clear();
            m_strDisplay3 = PhoneEndedChargeText(m_nCharge);
            m_bAppendDigits = false;
            break;
        case 0:
            m_strDisplay1 = "On Line";
            m_strAntenna = SignalText(m_block3[0]);
            break;
        default:
            break;
    }
}

void CHandsetDlg::TickHolding() {
    switch (m_link.PollHolding()) {
        case 1:
        case 2:
            BackToIdle();
            break;
        case 3:
            m_nCallState = CALL_ONLINE;
            m_strDisplay3.clear();
            m_bAppendDigits = true;
            SetPicture(0);
            break;
        case 0:
            m_strDisplay1 = "Holding";
            break;
        default:
            break;
    }
}

void CHandsetDlg::LookUpCaller(const std::string& number) {
    CHandsetApp* app = TheApp();
    if (!app) return;
    const CMemoryDial* record = app->m_phoneBook.FindByNumber(number);
    // Without a match the name line keeps what it held.
    if (!record) return;
    m_strDisplay2 = record->m_strName.empty() ? record->m_strReading : record->m_strName;
}

void CHandsetDlg::ShowTopmost() {
    // Shown in its normal state, in front of everything for the rest of the
    // run, where it was. The flag goes to the existing native window: setting
    // it on the widget would make a new one (and hide this one meanwhile).
    if (!(windowFlags() & Qt::WindowStaysOnTopHint)) {
        const Qt::WindowFlags flags = windowFlags() | Qt::WindowStaysOnTopHint;
        overrideWindowFlags(flags);
        if (QWindow* native = windowHandle()) native->setFlags(flags);
    }
    showNormal();
    raise();
}

void CHandsetDlg::OnSettings() {
    if (m_nCallState != CALL_IDLE) return;
    StopMonitor();
    m_link.CommClose(0);
    if (!RunReconnectionLoop()) {
        // The user chose to end the program rather than go on without a port.
        EndDialog(IDOK);
        return;
    }
    StartMonitor();
}

bool CHandsetDlg::RunReconnectionLoop() {
    CSettingsDlg dialog(this, true);
    for (;;) {
        // Whichever button closed it, its values are used.
        if (dialog.exec() == CSettingsDlg::IDQUIT) return false;
        m_link.m_cable = dialog.m_nCable;
        m_link.m_port = dialog.m_nPort;
        m_link.m_numdisp = dialog.m_bNumDisp ? 1 : 0;
        m_nMonitorInterval = dialog.m_nInterval;
        if (m_link.CommOpen(0)) return true;
        m_link.CommClose(0);
        UiSeams::Messages().Show(this, QStringLiteral("Init Connection Again !!"),
                                 MessageIcon::None);
    }
}
