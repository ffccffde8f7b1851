#pragma once
// The handset window: dialog template 102 as a frameless tool window shaped
// and painted by the skin, with four transparent text areas. The call logic
// runs on the core's link thread (HandsetController); the window shows what
// it reports, answers its questions on this thread and turns the mouse and
// keys into its inputs, never waiting for the phone.
// HandsetWnd.cpp: creation, the message loop, teardown, the window procedure.
// HandsetWndSkin.cpp: skin bitmap, region, painting, text areas, pictures.
// HandsetWndInput.cpp: skin buttons, mouse, dragging and keys.
// HandsetWndView.cpp: what the session reports and asks; the dispatcher.
// HandsetWndMenus.cpp: tray icon, menus and their commands, the control pad.

#include "winapp/Win32.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/SkinFile.h"
#include "handset/BmpReader.h"
#include "handset/HandsetController.h"
#include "handset/HandsetView.h"
#include "handset/SkinDefinition.h"
#include "winapp/IncomingBalloon.h"
#include "winapp/TrayIcon.h"

class WinApp;
class CControlPadDlg;

// The message that carries a function to run on the window's thread.
inline constexpr UINT WM_APP_RUN = WM_APP + 1;
// WM_COPYDATA from a second start that was given a tel: or callto: link: the
// number in its dialled form (ASCII, at most kLongestLinkedNumber digits).
inline constexpr ULONG_PTR kLinkedNumberCopyData = 0x544C4E4B;

class CHandsetWnd final : private HandsetView, private UiDispatcher {
public:
    // `device` makes the serial device; empty: the system's COM ports.
    explicit CHandsetWnd(WinApp& app, HandsetDeviceFactory device = {});
    ~CHandsetWnd() override;
    CHandsetWnd(const CHandsetWnd&) = delete;
    CHandsetWnd& operator=(const CHandsetWnd&) = delete;

    // Creates the window, runs it until it ends and tears it down. The end
    // code: IDOK or IDCANCEL when the user ended it, -1 when it never ran.
    int RunModal();
    HWND Handle() const { return m_hWnd; }
    // A number from a link (dialled form): shown with its phone book name
    // once the handset is idle, never dialled until the user sends it.
    void ShowLinkedNumber(const std::string& number);

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // Start-up after the template is made: the skin, then the link.
    bool OnInitDialog();
    // A number handed over by a second start (WM_COPYDATA).
    bool OnLinkedNumberCopy(const COPYDATASTRUCT& data);
    // Keys of the window's table, before the controls see them.
    bool PreTranslateMessage(MSG& msg);
    void EndDialog(int result);
    // The quit command, Escape, a double-click on BTN_QUIT: the first ends
    // the run once the link has done what was asked; a second cuts it short.
    void RequestEnd();
    void OnDestroy();

    // Skin (HandsetWndSkin.cpp). False when the bitmap cannot be used.
    bool LoadSkin(std::string& problem);
    void PlaceTextControls();
    void CreateDisplayFont(int points);
    void OnPaint();
    void SetPicture(int which);
    void ApplySnapshot(const HandsetSnapshot& snapshot);

    // Input (HandsetWndInput.cpp).
    int ButtonFromPoint(POINT client) const;
    void SetCursorFor(POINT client);
    void OnLButtonDown(POINT client);
    void OnLButtonUp();
    void OnLButtonDblClk(POINT client);
    void OnMouseMove(POINT client, bool leftHeld);
    void OnRButtonDown(POINT client);
    bool OnKeyDown(WPARAM key);
    bool OnChar(WPARAM character);
    void PostButton(int index);

    // HandsetView: on this thread, carried here by the controller.
    void ShowSnapshot(const HandsetSnapshot& snapshot) override;
    void BringToFront() override;
    void EndProgram() override;
    std::optional<ChosenEntry> ChooseFromPhoneBook() override;
    std::optional<ConnectionSettings> AskSettings() override;
    void ShowMessage(const std::string& text) override;
    // UiDispatcher.
    void Post(std::function<void()> fn) override;
    void RunEvents(std::chrono::milliseconds most) override;
    void StopEvents() override;

    // Menus and commands (HandsetWndMenus.cpp).
    void OnTrayNotify(LPARAM mouseMessage);
    void TrackMenu(int resourceId, POINT screen);
    void OnCommand(int id);
    void RunIdleCommand(int id);
    void ShowCurrentSettings();
    void OnAbout();
    void OnChangeSkin();
    void OnChangePhoneBook();
    void OnCallHistory();
    // The tray tip: the missed calls not yet seen, and any trouble keeping
    // the call history, which a message box also tells once.
    void OnHistoryChanged();
    void OpenReadme();
    void TogglePad();
    void StopMonitor();
    void StartMonitor();
    // A message box with the program's name as caption; `text` is UTF-8.
    int MessageBoxUtf8(const std::string& text, UINT flags);
    ConnectionSettings ReadConnectionSettings() const;

    WinApp& m_app;
    HandsetDeviceFactory m_device;
    HWND m_hWnd = nullptr;
    HWND m_hText[4] = {};

    // Skin.
    BitmapInfoHeader m_bihSkin{};
    HBITMAP m_bmpSkin = nullptr;
    HBITMAP m_bmpPicture = nullptr;
    SIZE m_sizePicture{};
    SkinRect m_rcButton[16]{};
    SkinRect m_rcDisplay[4]{};
    SkinRect m_rcPicture{};
    HFONT m_fontDisplay = nullptr;
    HICON m_hIcon = nullptr;
    HICON m_hIconSmall = nullptr;
    HCURSOR m_curArrow = nullptr;
    HCURSOR m_curHand = nullptr;
    HBRUSH m_hNullBrush = nullptr;
    int m_nPictureShown = -1;

    // Dragging.
    int m_nDragFlags = 0;
    POINT m_ptDragLast{};

    HandsetSnapshot m_shown;
    ConnectionSettings m_settings;
    // Hears the calls on the link thread: lives longer than the controller.
    std::unique_ptr<IncomingBalloon> m_pBalloon;
    std::unique_ptr<HandsetController> m_pController;
    CTrayIcon m_tray;
    CControlPadDlg* m_pPad = nullptr;

    bool m_bEnded = false;
    // A link's number that came before the controller was started.
    std::string m_strLinkedNumber;
    bool m_bDestroyed = false;
    bool m_bMenuAsked = false;
    bool m_bTopmost = false;
    int m_nResult = -1;
    // RunEvents: its loop runs while this is set.
    bool m_bRunningEvents = false;
};
