// What the session reports and asks, on the window's thread, and the
// window's thread as the controller uses it: functions posted as messages.

#include "winapp/HandsetWnd.h"
#include "winapp/PhoneBookDlg.h"
#include "winapp/SettingsDlg.h"
#include "winapp/WinApp.h"

void CHandsetWnd::ShowSnapshot(const HandsetSnapshot& snapshot) {
    ApplySnapshot(snapshot);
}

void CHandsetWnd::BringToFront() {
    // Shown in its normal state and kept in front for the rest of the run,
    // without moving or resizing it.
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_bTopmost = true;
}

void CHandsetWnd::EndProgram() {
    RequestEnd();
}

std::optional<ChosenEntry> CHandsetWnd::ChooseFromPhoneBook() {
    // The release of the button goes to the dialog: no drag goes on behind it.
    OnLButtonUp();
    StopMonitor();
    std::optional<ChosenEntry> chosen = RunPhoneBookDlg(m_hWnd, m_app.Book(), m_app.Profile());
    StartMonitor();
    m_nDragFlags = 0;
    return chosen;
}

std::optional<ConnectionSettings> CHandsetWnd::AskSettings() {
    std::optional<ConnectionSettings> settings = RunSettingsDlg(m_hWnd, m_app.Profile());
    if (settings) m_settings = *settings;
    return settings;
}

void CHandsetWnd::ShowMessage(const std::string& text) {
    MessageBoxUtf8(text, MB_OK);
}

void CHandsetWnd::Post(std::function<void()> fn) {
    auto* carried = new std::function<void()>(std::move(fn));
    // A window that is gone takes nothing more.
    if (!m_hWnd || !PostMessageW(m_hWnd, WM_APP_RUN, 0, reinterpret_cast<LPARAM>(carried)))
        delete carried;
}

void CHandsetWnd::RunEvents(std::chrono::milliseconds most) {
    const ULONGLONG until = GetTickCount64() + ULONGLONG(std::max<int64_t>(most.count(), 0));
    m_bRunningEvents = true;
    while (m_bRunningEvents) {
        const ULONGLONG now = GetTickCount64();
        if (now >= until) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(until - now), QS_ALLINPUT);
        MSG msg;
        while (m_bRunningEvents && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            // The user's input waits: the program is ending.
            const bool input = (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) ||
                               (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST);
            if (input) continue;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    m_bRunningEvents = false;
}

void CHandsetWnd::StopEvents() {
    m_bRunningEvents = false;
}
