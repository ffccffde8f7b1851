// The handset window's tray icon, pop-up menus and their commands, and the
// control pad.

#include "handset/SettingsSummary.h"
#include "history/CallHistoryNotice.h"
#include "history/CallHistoryPath.h"
#include "winapp/AboutDlg.h"
#include "winapp/CallHistoryDlg.h"
#include "winapp/ControlPadDlg.h"
#include "winapp/FileDialogs.h"
#include "winapp/HandsetWnd.h"
#include "winapp/Resource.h"
#include "winapp/WinApp.h"
#include "winapp/WinText.h"

#include <shellapi.h>

void CHandsetWnd::OnTrayNotify(LPARAM mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONDOWN:
            SetForegroundWindow(m_hWnd);
            ShowWindow(m_hWnd, SW_SHOWNORMAL);
            break;
        case WM_RBUTTONDOWN: {
            // Hidden until a left click on the icon or an incoming call
            // shows it again; the monitoring goes on meanwhile.
            SetForegroundWindow(m_hWnd);
            ShowWindow(m_hWnd, SW_HIDE);
            POINT at;
            GetCursorPos(&at);
            TrackMenu(IDR_TRAYMENU, at);
            break;
        }
        default:
            break;
    }
}

void CHandsetWnd::OnRButtonDown(POINT client) {
    // Only while idle, as the session says after the inputs already posted.
    if (!m_pController || m_bMenuAsked) return;
    m_bMenuAsked = true;
    POINT screen = client;
    ClientToScreen(m_hWnd, &screen);
    m_pController->AskIdle([this, screen](bool idle) {
        m_bMenuAsked = false;
        if (idle) TrackMenu(IDR_SKINMENU, screen);
    });
}

void CHandsetWnd::TrackMenu(int resourceId, POINT screen) {
    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId));
    if (!menu) return;
    StopMonitor();
    const int command = TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                       screen.x, screen.y, 0, m_hWnd, nullptr);
    // The menu closes when the user clicks elsewhere.
    PostMessageW(m_hWnd, WM_NULL, 0, 0);
    StartMonitor();
    DestroyMenu(menu);
    if (command) OnCommand(command);
}

void CHandsetWnd::OnCommand(int id) {
    if (m_bEnded || !m_pController) return;
    switch (id) {
        case IDM_EXIT:
            EndDialog(IDOK);
            return;
        case IDCANCEL:
            EndDialog(IDCANCEL);
            return;
        case IDM_SETTINGS:
            // The session runs the dialog and the reconnection loop when idle.
            m_pController->Post([](HandsetSession& session) { session.OnSettings(); });
            return;
        case IDM_CHANGE_PHONEBOOK:
        case IDM_CHANGE_SKIN:
        case IDM_SHOW_SETTINGS:
        case IDM_ABOUT:
        case IDM_CALL_HISTORY:
            // Refused silently while a call goes on.
            m_pController->AskIdle([this, id](bool idle) {
                if (idle) RunIdleCommand(id);
            });
            return;
        default:
            return;
    }
}

void CHandsetWnd::RunIdleCommand(int id) {
    switch (id) {
        case IDM_CHANGE_PHONEBOOK:
            OnChangePhoneBook();
            break;
        case IDM_CHANGE_SKIN:
            OnChangeSkin();
            break;
        case IDM_SHOW_SETTINGS:
            ShowCurrentSettings();
            break;
        case IDM_ABOUT:
            OnAbout();
            break;
        case IDM_CALL_HISTORY:
            OnCallHistory();
            break;
        default:
            break;
    }
}

void CHandsetWnd::ShowCurrentSettings() {
    CurrentSettings current;
    current.port = m_settings.port;
    current.cable = m_settings.cable;
    current.skinFile = m_app.m_strSkinFile;
    current.bitmapFile = m_app.m_strBitmapFile;
    current.phoneBookFile = m_app.m_strPhoneBookFile;
    MessageBoxUtf8(CurrentSettingsText(current), MB_OK | MB_ICONINFORMATION);
}

void CHandsetWnd::OnAbout() {
    StopMonitor();
    RunAboutDlg(m_hWnd);
    StartMonitor();
}

void CHandsetWnd::OnChangeSkin() {
    // The monitoring goes on while the file dialog is open.
    const auto chosen =
        ChooseFileToOpen(m_hWnd, L"INI Files (*.ini)\0*.ini\0All Files (*.*)\0*.*\0", L"ini");
    if (!chosen) return;
    m_app.m_strSkinFile = *chosen;
    MessageBoxUtf8("Restart the Application !!", MB_OK);
}

void CHandsetWnd::OnChangePhoneBook() {
    // The book is empty from now on until the chosen one is read.
    m_app.LoadPhoneBook({});
    m_pController->SetPhoneBook(m_app.Book());
    const auto chosen = ChooseFileToOpen(m_hWnd,
                                         L"電話帳 (*.mdd;*.vcf;*.csv)\0*.mdd;*.vcf;*.csv\0"
                                         L"Memory Dial Data File(*.mdd)\0*.mdd\0"
                                         L"vCard (*.vcf)\0*.vcf\0CSV (*.csv)\0*.csv\0"
                                         L"All Files (*.*)\0*.*\0",
                                         L"mdd");
    if (!chosen) return;
    const std::vector<UserMessage> messages = m_app.LoadPhoneBook(*chosen);
    m_pController->SetPhoneBook(m_app.Book());
    for (const UserMessage& message : messages) MessageBoxUtf8(message.text, MB_OK | MB_ICONSTOP);
}

void CHandsetWnd::OnCallHistory() {
    StopMonitor();
    const std::optional<ChosenEntry> chosen = RunCallHistoryDlg(m_hWnd);
    StartMonitor();
    OnHistoryChanged();
    if (chosen)
        m_pController->Post(
            [entry = *chosen](HandsetSession& session) { session.ShowChosenEntry(entry); });
}

void CHandsetWnd::OnHistoryChanged() {
    const std::unique_ptr<CallStore> store = CallStore::OpenExisting(CallHistoryPath());
    std::string tip = MissedCallTip(store ? store->UnseenMissedCount() : 0);
    const std::string trouble = CallHistoryNotice::Text();
    if (!trouble.empty()) tip += "\n" + trouble;
    m_tray.SetTip(WideFromUtf8(tip));
    if (!trouble.empty() && CallHistoryNotice::TakeFirstShowing())
        MessageBoxUtf8(trouble, MB_OK | MB_ICONSTOP);
}

void CHandsetWnd::OpenReadme() {
    // A missing file or viewer gives no message.
    ShellExecuteW(m_hWnd, L"open", L"Readme.txt", nullptr, nullptr, SW_SHOWNORMAL);
}

void CHandsetWnd::TogglePad() {
    if (m_pPad && IsWindow(m_pPad->Handle()) && IsWindowVisible(m_pPad->Handle())) {
        m_pPad->Destroy(true);
        return;
    }
    if (m_pPad) m_pPad->Destroy(false);
    m_pPad = CControlPadDlg::Open(m_hWnd, m_app.Profile(), [this](const std::string& text) {
        if (m_pController && !m_bEnded)
            m_pController->Post([text](HandsetSession& session) { session.SendKey(text); });
    });
    if (m_pPad) m_pPad->OnGone([this] { m_pPad = nullptr; });
}
