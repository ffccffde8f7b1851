#include "winapp/TrayIcon.h"

#include <shellapi.h>

#include <algorithm>

namespace {

template <size_t N>
void CopyText(wchar_t (&field)[N], const std::wstring& text) {
    const size_t length = std::min(text.size(), N - 1);
    std::copy_n(text.data(), length, field);
    field[length] = L'\0';
}

}  // namespace

NOTIFYICONDATAW CTrayIcon::Data() const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = m_hWnd;
    data.uID = m_nTrayId;
    return data;
}

bool CTrayIcon::Add(HWND window, UINT id, HICON icon, const std::wstring& tip) {
    m_hWnd = window;
    m_nTrayId = id;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = WM_TRAYNOTIFY;
    data.hIcon = icon;
    CopyText(data.szTip, tip);
    m_bAdded = Shell_NotifyIconW(NIM_ADD, &data) != FALSE;
    return m_bAdded;
}

void CTrayIcon::Remove() {
    if (!m_bAdded) return;
    NOTIFYICONDATAW data = Data();
    Shell_NotifyIconW(NIM_DELETE, &data);
    m_bAdded = false;
}

void CTrayIcon::SetTip(const std::wstring& tip) {
    if (!m_bAdded) return;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_TIP;
    CopyText(data.szTip, tip);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void CTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
    if (!m_bAdded) return;
    NOTIFYICONDATAW data = Data();
    data.uFlags = NIF_INFO;
    data.dwInfoFlags = NIIF_INFO;
    CopyText(data.szInfoTitle, title);
    CopyText(data.szInfo, text);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}
