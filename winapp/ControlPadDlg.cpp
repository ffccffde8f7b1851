#include "winapp/ControlPadDlg.h"

#include <commctrl.h>

#include "app/ProfileKeyTable.h"
#include "textpad/TextUnits.h"
#include "winapp/PadKeys.h"
#include "winapp/Resource.h"
#include "winapp/WinText.h"

CControlPadDlg* CControlPadDlg::Open(HWND owner, ProfileStore& profile, SendKey sendKey) {
    auto* pad = new CControlPadDlg(profile, std::move(sendKey));
    HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CONTROLPAD),
                                     owner, DialogProc, reinterpret_cast<LPARAM>(pad));
    if (!window) {
        delete pad;
        return nullptr;
    }
    ShowWindow(window, SW_SHOW);
    return pad;
}

void CControlPadDlg::OnInitDialog() {
    HINSTANCE self = GetModuleHandleW(nullptr);
    // The icons in their own size (36 by 28).
    const auto icon = [self](int id) {
        return reinterpret_cast<LPARAM>(
            LoadImageW(self, MAKEINTRESOURCEW(id), IMAGE_ICON, 0, 0, LR_DEFAULTCOLOR));
    };
    SendDlgItemMessageW(m_hWnd, IDC_PAD_ONHOOK, BM_SETIMAGE, IMAGE_ICON, icon(IDI_ONHOOK));
    SendDlgItemMessageW(m_hWnd, IDC_PAD_OFFHOOK, BM_SETIMAGE, IMAGE_ICON, icon(IDI_OFFHOOK));
    // Where it was last closed, as read, without a check against the screen.
    const int x = ReadProfile(m_profile, ProfileKeys::PadX);
    const int y = ReadProfile(m_profile, ProfileKeys::PadY);
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    // A tip for each of the 23 buttons; none for the text field.
    m_hTips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, m_hWnd,
                              nullptr, self, nullptr);
    for (const PadKey& key : kPadKeys) {
        TOOLINFOW tool{};
        tool.cbSize = sizeof(tool);
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = m_hWnd;
        tool.uId = reinterpret_cast<UINT_PTR>(GetDlgItem(m_hWnd, key.id));
        tool.lpszText = const_cast<wchar_t*>(key.tooltip);
        SendMessageW(m_hTips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

void CControlPadDlg::Destroy(bool savePosition) {
    if (savePosition) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof(placement);
        if (GetWindowPlacement(m_hWnd, &placement)) {
            WriteProfile(m_profile, ProfileKeys::PadX, placement.rcNormalPosition.left);
            WriteProfile(m_profile, ProfileKeys::PadY, placement.rcNormalPosition.top);
        }
    }
    DestroyWindow(m_hWnd);
    if (m_gone) m_gone();
    delete this;
}

void CControlPadDlg::PressKey(int id) {
    const PadKey* key = PadKeyForId(id);
    if (!key) return;
    // Shift as it is while this message is handled: a long press.
    const bool shift = (GetKeyState(VK_SHIFT) & 0x80) != 0;
    m_sendKey(PadKeyText(*key, shift));
    SetFocus(GetDlgItem(m_hWnd, IDC_PAD_TEXT));
}

void CControlPadDlg::SendText() {
    if (m_bSending) return;
    HWND field = GetDlgItem(m_hWnd, IDC_PAD_TEXT);
    std::string text = Cp932FromWide(WindowText(field));
    if (text.empty() && GetWindowTextLengthW(field) == 0) return;
    SplitVoicedKana(text);
    for (const TextUnit& unit : CutTextUnits(text)) m_sendKey(unit);
    // Emptied, so that the field is empty between notifications.
    m_bSending = true;
    SetWindowTextW(field, L"");
    m_bSending = false;
    SetFocus(field);
}

bool CControlPadDlg::PreTranslateMessage(MSG& msg) {
    if (!m_hWnd || (msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN) {
        if (msg.wParam == VK_ESCAPE) return true;
        if (msg.wParam == VK_F12) {
            Destroy(true);
            return true;
        }
        // Every key-down counts, automatic repeats included.
        if (const PadKey* key = PadKeyForVirtualKey(unsigned(msg.wParam))) {
            PressKey(key->id);
            return true;
        }
    }
    return IsDialogMessageW(m_hWnd, &msg) != FALSE;
}

INT_PTR CALLBACK CControlPadDlg::DialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    auto* self = reinterpret_cast<CControlPadDlg*>(GetWindowLongPtrW(window, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrW(window, DWLP_USER, lParam);
            self = reinterpret_cast<CControlPadDlg*>(lParam);
            self->m_hWnd = window;
            self->OnInitDialog();
            return TRUE;
        case WM_COMMAND: {
            if (!self) return FALSE;
            const int id = LOWORD(wParam);
            if (id == IDOK || id == IDCANCEL) {
                self->Destroy(true);
                return TRUE;
            }
            if (id == IDC_PAD_TEXT && HIWORD(wParam) == EN_CHANGE) {
                self->SendText();
                return TRUE;
            }
            if (HIWORD(wParam) == BN_CLICKED && PadKeyForId(id)) {
                self->PressKey(id);
                return TRUE;
            }
            return FALSE;
        }
        default:
            return FALSE;
    }
}
