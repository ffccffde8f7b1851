#include "winapp/HandsetWnd.h"

#include <windowsx.h>

#include <utility>

#include "app/ProfileKeyTable.h"
#include "history/CallHistoryPath.h"
#include "phonebook/DialLink.h"
#include "phonebook/DialLinkMessages.h"
#include "platform/win32/Win32CommDevice.h"
#include "winapp/ControlPadDlg.h"
#include "winapp/Resource.h"
#include "winapp/WinApp.h"
#include "winapp/WinText.h"

namespace {

constexpr UINT kTrayId = 1;

HICON LoadAppIcon(int size) {
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP),
                                         IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

CHandsetWnd::CHandsetWnd(WinApp& app, HandsetDeviceFactory device)
    : m_app(app), m_device(std::move(device)) {
    if (!m_device) {
        m_device = [](std::shared_ptr<const PortPaths>) {
            return std::unique_ptr<CommDevice>(std::make_unique<Win32CommDevice>());
        };
    }
    m_hIcon = LoadAppIcon(32);
    m_hIconSmall = LoadAppIcon(16);
}

CHandsetWnd::~CHandsetWnd() {
    OnDestroy();
    if (m_hWnd) DestroyWindow(m_hWnd);
    if (m_bmpSkin) DeleteObject(m_bmpSkin);
    if (m_bmpPicture) DeleteObject(m_bmpPicture);
    if (m_fontDisplay) DeleteObject(m_fontDisplay);
    if (m_hIcon) DestroyIcon(m_hIcon);
    if (m_hIconSmall) DestroyIcon(m_hIconSmall);
}

int CHandsetWnd::RunModal() {
    m_hWnd = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_HANDSET), nullptr,
                                DialogProc, reinterpret_cast<LPARAM>(this));
    if (!m_hWnd) return -1;
    MSG msg;
    while (!m_bEnded) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) break;
        // The pad's keys first: it is a window of its own, owned by this one.
        if (m_pPad && m_pPad->PreTranslateMessage(msg)) continue;
        if (PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    OnDestroy();
    DestroyWindow(m_hWnd);
    m_hWnd = nullptr;
    // Functions posted to the window after its end are dropped with it.
    while (PeekMessageW(&msg, nullptr, WM_APP_RUN, WM_APP_RUN, PM_REMOVE)) {
        delete reinterpret_cast<std::function<void()>*>(msg.lParam);
    }
    return m_nResult;
}

void CHandsetWnd::EndDialog(int result) {
    if (m_bEnded) return;
    m_nResult = result;
    m_bEnded = true;
    if (m_pController) m_pController->MarkEnded();
    // Wakes the message loop, which then sees the end.
    PostMessageW(m_hWnd, WM_NULL, 0, 0);
}

void CHandsetWnd::RequestEnd() {
    if (m_bEnded) {
        // Asked again while the link finishes: no longer waited for.
        if (m_pController) m_pController->CutEndingShort();
        return;
    }
    EndDialog(IDOK);
}

void CHandsetWnd::OnDestroy() {
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    if (m_pPad) {
        m_pPad->Destroy(false);
        m_pPad = nullptr;
    }
    // No menu of the icon opens while the link finishes.
    m_tray.Remove();
    if (!m_pController) return;
    m_pController->End([this] {
        // In place of the display's lines while the link finishes.
        SetWindowTextW(m_hText[0], L"終了しています…");
        for (int i = 1; i < 4; ++i) SetWindowTextW(m_hText[i], L"");
        InvalidateRect(m_hWnd, nullptr, FALSE);
        UpdateWindow(m_hWnd);
    });
    // A link stuck where nothing reaches it keeps its session for the rest
    // of the process (the controller lets go of it).
    if (!m_pController->LinkAbandoned())
        m_pController.reset();
    else
        (void)m_pController.release();
}

bool CHandsetWnd::OnInitDialog() {
    // Big and small icons, and the product name as the window's text.
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIconSmall));
    SetWindowTextW(m_hWnd, LoadResourceString(IDS_PRODUCT).c_str());
    m_tray.Add(m_hWnd, kTrayId, m_hIconSmall, LoadResourceString(IDS_PRODUCT));
    const int ids[4] = {IDC_DISPLAY1, IDC_DISPLAY2, IDC_DISPLAY3, IDC_ANTENNA};
    for (int i = 0; i < 4; ++i) m_hText[i] = GetDlgItem(m_hWnd, ids[i]);
    m_nDragFlags = 0;
    m_hNullBrush = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));

    std::string problem;
    if (!LoadSkin(problem)) {
        MessageBoxUtf8("BMP File Open Error !!\n" + problem, MB_OK);
        EndDialog(IDOK);
        return false;
    }

    // The link runs on its own thread: the window is live while the port
    // opens and the cable's handshake runs.
    m_settings = ReadConnectionSettings();
    m_pController = std::make_unique<HandsetController>(
        static_cast<HandsetView&>(*this), static_cast<UiDispatcher&>(*this), m_device);
    m_pBalloon = std::make_unique<IncomingBalloon>([this](std::wstring text) {
        Post([this, text] { m_tray.ShowBalloon(LoadResourceString(IDS_PRODUCT), text); });
    });
    m_pController->AddCallSink(m_pBalloon.get());
    m_pController->OnHistoryChanged([this] { OnHistoryChanged(); });
    m_pController->OnLinkedNumberDropped([this](const std::string& number) {
        MessageBoxUtf8(LinkWhileBusyMessage(number), MB_OK | MB_ICONINFORMATION);
    });
    m_pController->SetPhoneBook(m_app.Book());
    m_pController->Start(m_settings, CallHistoryPath());
    if (!m_strLinkedNumber.empty()) ShowLinkedNumber(std::exchange(m_strLinkedNumber, {}));
    return true;
}

void CHandsetWnd::ShowLinkedNumber(const std::string& number) {
    if (!m_pController) {
        m_strLinkedNumber = number;
        return;
    }
    m_pController->ShowLinkedNumber(number);
}

bool CHandsetWnd::OnLinkedNumberCopy(const COPYDATASTRUCT& data) {
    // Another process wrote it: read it as a link again, within its bound.
    if (data.dwData != kLinkedNumberCopyData || !data.lpData || data.cbData > kLongestLinkedNumber)
        return false;
    const std::string text(static_cast<const char*>(data.lpData), data.cbData);
    const DialLink parsed = ParseDialLink(text);
    if (parsed.problem != DialLinkProblem::None) return false;
    ShowLinkedNumber(parsed.digits);
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    SetForegroundWindow(m_hWnd);
    return true;
}

ConnectionSettings CHandsetWnd::ReadConnectionSettings() const {
    ProfileStore& profile = m_app.Profile();
    ConnectionSettings settings;
    settings.port = ReadProfile(profile, ProfileKeys::Port);
    settings.cable = ReadProfile(profile, ProfileKeys::Cable);
    settings.numdisp = ReadProfile(profile, ProfileKeys::NumDisp);
    settings.interval = ReadProfile(profile, ProfileKeys::MonitorInterval);
    return settings;
}

int CHandsetWnd::MessageBoxUtf8(const std::string& text, UINT flags) {
    StopMonitor();
    const int answer = MessageBoxW(m_hWnd, WideFromUtf8(text).c_str(), L"Telvoxa", flags);
    StartMonitor();
    return answer;
}

void CHandsetWnd::StopMonitor() {
    if (m_pController) m_pController->PauseMonitor();
}

void CHandsetWnd::StartMonitor() {
    if (m_pController) m_pController->ResumeMonitor();
}

INT_PTR CALLBACK CHandsetWnd::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<CHandsetWnd*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CHandsetWnd*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, lParam);
        self->m_hWnd = window;
        self->OnInitDialog();
        return FALSE;
    }
    if (!self) return FALSE;
    return self->OnMessage(message, wParam, lParam);
}

INT_PTR CHandsetWnd::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (message) {
        case WM_APP_RUN: {
            std::unique_ptr<std::function<void()>> fn(
                reinterpret_cast<std::function<void()>*>(lParam));
            if (fn && *fn) (*fn)();
            return TRUE;
        }
        case WM_COPYDATA:
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT,
                              OnLinkedNumberCopy(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)));
            return TRUE;
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_ERASEBKGND:
            // The skin covers the whole window; nothing is erased under it.
            SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, 1);
            return TRUE;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<INT_PTR>(m_hNullBrush);
        case WM_CTLCOLORDLG:
            return reinterpret_cast<INT_PTR>(m_hNullBrush);
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(m_hIcon);
        case WM_SETCURSOR:
            if (LOWORD(lParam) == HTCLIENT) {
                POINT at;
                GetCursorPos(&at);
                ScreenToClient(m_hWnd, &at);
                SetCursorFor(at);
                SetWindowLongPtrW(m_hWnd, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        case WM_MOUSEMOVE:
            SetCursorFor(client);
            OnMouseMove(client, (wParam & MK_LBUTTON) != 0);
            return TRUE;
        case WM_LBUTTONDOWN:
            SetCursorFor(client);
            OnLButtonDown(client);
            return TRUE;
        case WM_LBUTTONUP:
            SetCursorFor(client);
            OnLButtonUp();
            return TRUE;
        case WM_LBUTTONDBLCLK:
            SetCursorFor(client);
            OnLButtonDblClk(client);
            return TRUE;
        case WM_RBUTTONDOWN:
            SetCursorFor(client);
            OnRButtonDown(client);
            return TRUE;
        case WM_CAPTURECHANGED:
            m_nDragFlags = 0;
            return TRUE;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam));
            return TRUE;
        case WM_TRAYNOTIFY:
            OnTrayNotify(lParam);
            return TRUE;
        case WM_CLOSE:
            RequestEnd();
            return TRUE;
        case WM_HELP:
            OpenReadme();
            return TRUE;
        default:
            return FALSE;
    }
}
