// The handset window's mouse and keys: the skin buttons and keyboard
// shortcuts become the session's inputs; the cursors and the window drag
// never wait for the phone.

#include "handset/SkinButtons.h"
#include "winapp/HandsetWnd.h"
#include "winapp/Resource.h"

int CHandsetWnd::ButtonFromPoint(POINT client) const {
    return HitTestButton(m_rcButton, SKIN_BUTTON_COUNT, client.x, client.y);
}

void CHandsetWnd::SetCursorFor(POINT client) {
    if (!m_curArrow) {
        HINSTANCE self = GetModuleHandleW(nullptr);
        m_curArrow = LoadCursorW(self, MAKEINTRESOURCEW(IDC_ARROW_CURSOR));
        m_curHand = LoadCursorW(self, MAKEINTRESOURCEW(IDC_HAND_CURSOR));
    }
    SetCursor(ButtonFromPoint(client) != NO_BUTTON ? m_curHand : m_curArrow);
}

void CHandsetWnd::PostButton(int index) {
    if (m_pController && !m_bEnded)
        m_pController->Post([index](HandsetSession& session) { session.OnButton(index); });
}

void CHandsetWnd::OnLButtonDown(POINT client) {
    SetCapture(m_hWnd);
    m_nDragFlags |= 1;
    GetCursorPos(&m_ptDragLast);
    // The action runs on the press, not on the release.
    const int button = ButtonFromPoint(client);
    if (button != NO_BUTTON) PostButton(button);
}

void CHandsetWnd::OnLButtonUp() {
    m_nDragFlags = 0;
    if (GetCapture() == m_hWnd) ReleaseCapture();
}

void CHandsetWnd::OnLButtonDblClk(POINT client) {
    // The system turned the second press into this message: the button's
    // single action ran once, on the first press.
    m_nDragFlags |= 1;
    switch (ButtonFromPoint(client)) {
        case NO_BUTTON:
            OnLButtonUp();
            ShowWindow(m_hWnd, SW_MINIMIZE);
            break;
        case BTN_QUIT:
            OnLButtonUp();
            RequestEnd();
            break;
        case BTN_CLEAR:
            if (m_pController)
                m_pController->Post([](HandsetSession& session) { session.OnClearAll(); });
            break;
        default:
            break;
    }
}

void CHandsetWnd::OnMouseMove(POINT, bool leftHeld) {
    if (leftHeld && GetCapture() != m_hWnd) SetCapture(m_hWnd);
    if (!(m_nDragFlags & 1)) return;
    POINT at;
    GetCursorPos(&at);
    const int dx = at.x - m_ptDragLast.x;
    const int dy = at.y - m_ptDragLast.y;
    // Small moves leave the window where it is, so that a click may wobble.
    if (!DragMoves(dx, dy)) return;
    m_ptDragLast = at;
    RECT frame;
    GetWindowRect(m_hWnd, &frame);
    HDWP batch = BeginDeferWindowPos(1);
    if (batch)
        batch = DeferWindowPos(batch, m_hWnd, nullptr, frame.left + dx, frame.top + dy, 0, 0,
                               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (batch) EndDeferWindowPos(batch);
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

bool CHandsetWnd::PreTranslateMessage(MSG& msg) {
    // The window's keyboard table comes first, for the window and its text
    // areas alike; other keys are dispatched as usual, without the dialog's
    // own keyboard navigation.
    if (!m_hWnd || (msg.hwnd != m_hWnd && !IsChild(m_hWnd, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN) return OnKeyDown(msg.wParam);
    if (msg.message == WM_CHAR) return OnChar(msg.wParam);
    return false;
}

bool CHandsetWnd::OnKeyDown(WPARAM key) {
    const auto post = [this](void (HandsetSession::*input)()) {
        if (m_pController && !m_bEnded)
            m_pController->Post([input](HandsetSession& session) { (session.*input)(); });
    };
    switch (key) {
        case VK_BACK:
            post(&HandsetSession::OnClearButton);
            return true;
        case VK_ESCAPE:
            RequestEnd();
            return true;
        case VK_END:
            post(&HandsetSession::OnQuitButton);
            return true;
        case VK_HOME:
            post(&HandsetSession::OnSendButton);
            return true;
        case VK_DELETE:
            post(&HandsetSession::OnClearAll);
            return true;
        case VK_F12:
            TogglePad();
            return true;
        case VK_F1:
            // The platform's help key: the read-me file.
            OpenReadme();
            return true;
        default:
            return false;
    }
}

bool CHandsetWnd::OnChar(WPARAM character) {
    if (character > 0x7F) return false;
    const int button = ButtonForCharacter(char(character));
    if (button == NO_BUTTON) return false;
    PostButton(button);
    return true;
}
