#pragma once
// The control pad 145: a modeless tool window owned by the handset window
// with the phone's 23 keys and a text field whose characters go to the
// phone as they are typed. It restores and saves its place in the profile
// and deletes itself when its window goes.

#include "winapp/Win32.h"

#include <functional>
#include <string>

#include "platform/ProfileStore.h"

class CControlPadDlg {
public:
    // `sendKey` hands a key name or one character (code page 932) to the phone.
    using SendKey = std::function<void(const std::string& text)>;

    // Created and shown; null when the window could not be made.
    static CControlPadDlg* Open(HWND owner, ProfileStore& profile, SendKey sendKey);
    HWND Handle() const { return m_hWnd; }
    // Runs once when the pad is gone, whoever closed it.
    void OnGone(std::function<void()> gone) { m_gone = std::move(gone); }
    // Closes the pad (its position saved when `savePosition`); `this` is
    // deleted.
    void Destroy(bool savePosition);
    // The pad's keys before the focused control sees them, and the dialog's
    // own keyboard handling (tab order, mnemonics). True when taken.
    bool PreTranslateMessage(MSG& msg);

private:
    CControlPadDlg(ProfileStore& profile, SendKey sendKey)
        : m_profile(profile), m_sendKey(std::move(sendKey)) {}
    ~CControlPadDlg() = default;
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnInitDialog();
    void PressKey(int id);
    void SendText();

    ProfileStore& m_profile;
    SendKey m_sendKey;
    std::function<void()> m_gone;
    HWND m_hWnd = nullptr;
    HWND m_hTips = nullptr;
    bool m_bSending = false;
};
