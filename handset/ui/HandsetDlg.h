#pragma once
// The handset window: frameless, shaped and painted by the skin, with four
// transparent text areas. The call logic and the phone link live in a
// HandsetSession on a link thread of its own; the window shows what the
// session reports and turns mouse and keys into the session's inputs.
// HandsetDlg.cpp: construction, start-up, teardown.
// HandsetSkin.cpp: skin bitmap, region, painting, text areas, pictures.
// HandsetView.cpp: what the session reports and asks (snapshots, dialogs).
// HandsetButtons.cpp: skin buttons, mouse, dragging and keys.
// HandsetMenus.cpp: tray icon, menus, commands and the control pad.
// HandsetDesktop.cpp: dragging and raising where the desktop places windows.

#include <QCursor>
#include <QDialog>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/ui/HandsetApp.h"
#include "app/ui/ProfileKeys.h"
#include "handset/BmpReader.h"
#include "handset/HandsetController.h"
#include "handset/HandsetSession.h"
#include "handset/HandsetView.h"
#include "handset/LinkThread.h"
#include "handset/RegionSpans.h"
#include "handset/SkinButtons.h"
#include "handset/StatusTexts.h"
#include "handset/ui/SkinRegion.h"
#include "history/ui/CallNotifier.h"

class QAction;
class QEventLoop;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QMenu;
class CControlPadDlg;
class CTrayIcon;

// Text control ids of dialog template 102, used as the labels' object names.
inline constexpr int IDC_DISPLAY1 = 1004;
inline constexpr int IDC_DISPLAY2 = 1005;
inline constexpr int IDC_DISPLAY3 = 1008;
inline constexpr int IDC_ANTENNA = 1019;

class CHandsetDlg : public QDialog, private HandsetView, private UiDispatcher {
    Q_OBJECT

public:
    explicit CHandsetDlg(QWidget* parent = nullptr, CommDeviceFactory deviceFactory = {},
                         ClockSource clock = {});
    ~CHandsetDlg() override;

    // Runs the window modally: start-up, the user's session, teardown. The
    // result is the end code (IDOK, IDCANCEL).
    int DoModal();
    // The start-up steps: the skin, then the link thread, which opens the port
    // while the window is already live. True unless the window was ended.
    bool OnInitDialog();
    // Ends the modal run with `result`.
    void EndDialog(int result);
    // The quit command, Escape, a double-click on BTN_QUIT and the
    // termination signals: the first ends the run once the link has done what
    // was asked of it (bounded), a second one while that goes on cuts it short.
    void RequestEnd();
    bool IsEnded() const { return m_bEnded; }
    int Result() const { return m_nResult; }
    // Teardown: the pads and the tray icon go, the window says
    // "終了しています…" and the controller ends the run within its bound
    // (HandsetController::End). Runs once.
    void OnDestroy();
    static constexpr int kEndBoundMs = HandsetController::kEndBoundMs;
    // True after OnDestroy left the link thread stuck in a call that nothing
    // cuts short: the window must not be torn down while the process lives.
    bool LinkAbandoned() const { return m_controller->LinkAbandoned(); }

    // What the window shows: the session's last snapshot.
    const HandsetSnapshot& Shown() const { return m_shown; }
    QLabel* TextControl(int id) const;
    // 1: picture PICTURE1, 2: PICTURE2, other: none. Does not repaint.
    void SetPicture(int which);
    const QImage& Picture() const { return m_bmpPicture; }

    // The monitoring pauses while a menu, dialog or message of the window is
    // open; the session's own timer runs otherwise.
    void StopMonitor();
    void StartMonitor();

    // The link thread and its session. Inputs go through Post; the session
    // itself may be touched only on the link thread, or after Flush while
    // nothing else is posted (tests).
    LinkThread& Link() { return m_controller->Thread(); }
    HandsetSession& Session() { return m_controller->Session(); }
    HandsetController& Controller() { return *m_controller; }
    void Post(LinkThread::Input input);
    // Waits until the link has run everything posted so far and the window
    // has shown what it reported. Tests only: the window never waits.
    void Flush();

    // The button under a client point, in ButtonIndex order; NO_BUTTON if none.
    int ButtonFromPoint(const QPoint& clientPos) const;
    // Command 32774: the settings dialog and the reconnection loop.
    void OnSettings();
    // A menu command (MenuCommands.h). All but ID_APP_EXIT_OK act only in
    // CALL_IDLE and are ignored silently otherwise; the session tells, after
    // the inputs already posted, so they run once it has answered.
    void OnCommand(int id);
    // A click on the tray icon: Trigger is the left button, Context the right.
    void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);
    bool IsTrayIconAdded() const;
    // The skin's menu, once the session has said it is idle.
    void OnRButtonDown(const QPoint& clientPos);
    void TogglePad();
    CControlPadDlg* Pad() const;
    // Menu resource `resourceId` as a pop-up; each action carries its command
    // id as data and as object name.
    std::unique_ptr<QMenu> LoadMenu(int resourceId);
    // How a pop-up menu is shown at a screen point, returning the chosen
    // action or null. Empty: QMenu::exec. Tests answer menus through it.
    std::function<QAction*(QMenu&, const QPoint&)> m_trackMenu;
    // Hands the application's phone book to the caller-name lookup.
    void PhoneBookChanged();
    // A number from a link (dialled form): shown once the session is idle
    // (after the start-up when it has not run yet), with its phone book name;
    // while a call goes on a message says it was dropped.
    void ShowLinkedNumber(const std::string& number);

    const SkinRect& ButtonRect(int index) const { return m_rcButton[index]; }

public slots:
    void done(int result) override;
    void accept() override;
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // HandsetView: called by the controller on the window's thread
    // (HandsetView.cpp).
    void ShowSnapshot(const HandsetSnapshot& snapshot) override;
    void BringToFront() override;
    void EndProgram() override;
    std::optional<ChosenEntry> ChooseFromPhoneBook() override;
    std::optional<ConnectionSettings> AskSettings() override;
    void ShowMessage(const std::string& text) override;
    // UiDispatcher: the window's thread and its event loop for the controller.
    void Post(std::function<void()> fn) override;
    void RunEvents(std::chrono::milliseconds most) override;
    void StopEvents() override;
    // A linked number dropped while a call goes on: a message that does not
    // stop the call.
    void ShowLinkWhileBusy(const std::string& number);
    // What the window shows while the run ends.
    void ShowEnding();

    // Start-up pieces (HandsetSkin.cpp).
    // False when the skin bitmap cannot be used: m_strSkinProblem says which and why.
    bool LoadSkin();
    void PlaceTextControls();
    // Button pieces (HandsetButtons.cpp).
    void OnButton(int index);
    void OnLButtonDown(const QPoint& clientPos, const QPoint& screenPos);
    void OnLButtonUp(const QPoint& clientPos);
    void OnLButtonDblClk(const QPoint& clientPos);
    void OnMouseMove(const QPoint& clientPos, const QPoint& screenPos, bool leftHeld);
    bool PreTranslateKey(QKeyEvent* event);
    // Hand over a button, arrow elsewhere.
    void SetCursorFor(const QPoint& clientPos);
    void DragStep(const QPoint& screenPos);
    // Desktops that place windows themselves (HandsetDesktop.cpp): the
    // compositor's drag, and the attention asked for on an incoming call.
    void StartSystemDrag();
    void AskForAttention();
    // The mouse stays with the window while the left button is held.
    void CaptureMouse();
    void ReleaseDrag();
    // Escape and a double-click on BTN_QUIT: the window ends as confirmed.
    void EndAsConfirmed();
    // The phone book takes the mouse: no drag goes on behind it.
    void DropDrag();
    // True for a key of the keyboard table.
    bool IsTableKey(const QKeyEvent& key) const;
    // Menu pieces (HandsetMenus.cpp).
    void AddTrayIcon();
    void RemoveTrayIcon();
    // The tip names the missed calls not yet seen in the call history.
    void UpdateTrayTip();
    // Shows menu `resourceId` with the monitoring paused, then runs its command.
    void TrackMenuAndRun(int resourceId, const QPoint& globalPos);
    void ShowCurrentSettings();
    void OnAppAbout();
    // A guarded menu command, once the session said idle.
    void RunCommand(int id);
    // The settings as the window hands them to the session: with the
    // device path of each port, read from the profile on this thread.
    ConnectionSettings SettingsWithPorts() const;
    // Deletes any pad still open, without saving its position.
    void DeletePads();

    // Skin.
    BitmapInfoHeader m_bihSkin{};
    QString m_strSkinProblem;
    QPixmap m_bmpSkin;
    QImage m_bmpPicture;
    int m_nPictureShown = -1;
    QRegion m_rgnWindow;
    SkinRect m_rcButton[SKIN_BUTTON_COUNT]{};
    SkinRect m_rcDisplay1{};
    SkinRect m_rcDisplay2{};
    SkinRect m_rcDisplay3{};
    SkinRect m_rcAntenna{};
    SkinRect m_rcPicture{};
    QFont m_fontDisplay;
    QIcon m_hIcon;

    // Dragging.
    int m_nDragFlags = 0;
    QPoint m_ptDragLast;

    // The desktop notification of incoming calls hears the session's call
    // events after the call history's recorder; it outlives the controller.
    std::unique_ptr<CCallNotifier> m_pNotifier;
    // The session, its link thread and the recorder.
    std::unique_ptr<HandsetController> m_controller;
    HandsetSnapshot m_shown;
    // The port settings in force, for the current-settings message.
    ConnectionSettings m_settings;

    QPointer<CControlPadDlg> m_pPad;
    QLabel* m_pText[4] = {};
    QEventLoop* m_pModalLoop = nullptr;
    bool m_bEnded = false;
    bool m_bDestroyed = false;
    // The loop of RunEvents while the run ends.
    QEventLoop* m_pFinishing = nullptr;
    // A right-click's question to the session is on its way.
    bool m_bMenuAsked = false;
    int m_nResult = -1;
    QCursor m_curArrow;  // cursor 104
    QCursor m_curHand;   // cursor 133
    bool m_bCursorsLoaded = false;
    int m_nCursorKind = -1;  // the cursor set: -1 none yet, 0 arrow, 1 hand
    CTrayIcon* m_pTrayIcon = nullptr;
};
