#pragma once
// The notification-area icon of the handset window: added with the window,
// its mouse messages sent to the window as WM_TRAYNOTIFY, a balloon for an
// incoming call, removed with the window.

#include "winapp/Win32.h"

#include <string>

// WM_USER + 600: the icon's callback message.
inline constexpr UINT WM_TRAYNOTIFY = WM_USER + 600;

class CTrayIcon {
public:
    CTrayIcon() = default;
    ~CTrayIcon() { Remove(); }
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    // False where the desktop has no notification area; the program runs on.
    bool Add(HWND window, UINT id, HICON icon, const std::wstring& tip);
    void Remove();
    bool IsAdded() const { return m_bAdded; }
    void SetTip(const std::wstring& tip);
    // A balloon over the icon; nothing when the icon is not there.
    void ShowBalloon(const std::wstring& title, const std::wstring& text);

private:
    NOTIFYICONDATAW Data() const;

    HWND m_hWnd = nullptr;
    UINT m_nTrayId = 0;
    bool m_bAdded = false;
};
