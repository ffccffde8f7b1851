#pragma once
// The handset window: frameless, shaped and painted by the skin, with four
// transparent text areas, the phone link and the monitoring timer.
// HandsetDlg.cpp: construction, start-up, teardown, data exchange.
// HandsetSkin.cpp: skin bitmap, region, painting, text areas, pictures.
// HandsetMonitor.cpp: monitoring timer, tick and call states, reconnection.
// HandsetButtons.cpp: skin buttons, mouse, dragging and keys.
// Tray icon and menus belong in files of their own beside these.

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
#include "handset/RegionSpans.h"
#include "handset/SkinButtons.h"
#include "handset/StatusTexts.h"
#include "handset/ui/SkinRegion.h"
#include "link/PhoneLink.h"

class QAction;
class QEventLoop;
class QKeyEvent;
class QLabel;
class QMouseEvent;
class QMenu;
class CControlPadDlg;
class CTrayIcon;

inline constexpr int MONITOR_TIMER_ID = 1;
// A window timer never runs faster than this.
inline constexpr int MIN_TIMER_PERIOD = 10;

// Text control ids of dialog template 102, used as the labels' object names.
inline constexpr int IDC_DISPLAY1 = 1004;
inline constexpr int IDC_DISPLAY2 = 1005;
inline constexpr int IDC_DISPLAY3 = 1008;
inline constexpr int IDC_ANTENNA = 1019;

class CHandsetDlg : public QDialog {
    Q_OBJECT

public:
    explicit CHandsetDlg(QWidget* parent = nullptr, CommDeviceFactory deviceFactory = {},
                         ClockSource clock = {});
    ~CHandsetDlg() override;

    // Runs the window modally: start-up, the user's session, teardown. The
    // result is the end code (IDOK, IDCANCEL).
    int DoModal();
    // The start-up steps; true unless the window was ended during them.
    bool OnInitDialog();
    // Ends the modal run with `result`.
    void EndDialog(int result);
    bool IsEnded() const { return m_bEnded; }
    int Result() const { return m_nResult; }
    // Teardown: timer, port, log. Runs once.
    void OnDestroy();

    // Moves the four texts between the strings and the controls: true takes
    // the controls' texts into the strings, false shows the strings.
    void UpdateData(bool saveAndValidate);

    // 1: picture PICTURE1, 2: PICTURE2, other: none. Does not repaint.
    void SetPicture(int which);

    void StartMonitor();
    void StopMonitor();
    bool IsMonitoring() const { return m_monitorTimer.isActive(); }
    // The timer's period as it runs: the interval, at least MIN_TIMER_PERIOD.
    int MonitorPeriod() const { return m_monitorTimer.interval(); }
    void OnTimer(int idEvent);

    // Command 32774: the settings dialog and the reconnection loop.
    void OnSettings();

    QLabel* TextControl(int id) const;

    // Buttons and keys (HandsetButtons.cpp).
    // The button under a client point, in ButtonIndex order; NO_BUTTON if none.
    int ButtonFromPoint(const QPoint& clientPos) const;
    // The single action of button `index` (a press or its key).
    void OnButton(int index);
    void OnDialKey(int index);
    void OnSendButton();
    void OnQuitButton();
    void OnClearButton();
    void OnClearAll();
    void OnCallButton();
    // The mouse handlers behind the window's mouse events; positions in
    // client and screen coordinates.
    void OnLButtonDown(const QPoint& clientPos, const QPoint& screenPos);
    void OnLButtonUp(const QPoint& clientPos);
    void OnLButtonDblClk(const QPoint& clientPos);
    void OnMouseMove(const QPoint& clientPos, const QPoint& screenPos, bool leftHeld);
    // The keyboard table; true when the key was consumed.
    bool PreTranslateKey(QKeyEvent* event);

    // Menus, tray icon and control pad (HandsetMenus.cpp).
    void OnRButtonDown(const QPoint& clientPos);
    void TogglePad();
    // A menu command (MenuCommands.h). All but ID_APP_EXIT_OK act only in
    // CALL_IDLE and are ignored silently otherwise.
    void OnCommand(int id);
    // A click on the tray icon: Trigger is the left button, Context the right.
    void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);
    bool IsTrayIconAdded() const;
    // Menu resource `resourceId` as a pop-up; each action carries its command
    // id as data and as object name.
    std::unique_ptr<QMenu> LoadMenu(int resourceId);
    // How a pop-up menu is shown at a screen point, returning the chosen
    // action or null. Empty: QMenu::exec. Tests answer menus through it.
    std::function<QAction*(QMenu&, const QPoint&)> m_trackMenu;

    // Skin.
    BitmapInfoHeader m_bihSkin{};
    QPixmap m_bmpSkin;
    QImage m_bmpPicture;
    QRegion m_rgnWindow;
    SkinRect m_rcButton[SKIN_BUTTON_COUNT]{};
    SkinRect m_rcDisplay1{};
    SkinRect m_rcDisplay2{};
    SkinRect m_rcDisplay3{};
    SkinRect m_rcAntenna{};
    SkinRect m_rcPicture{};
    QFont m_fontDisplay;
    QIcon m_hIcon;

    // Input state (buttons and keys).
    bool m_bAppendDigits = false;
    int m_nDragFlags = 0;
    QPoint m_ptDragLast;

    // Monitoring.
    int m_nMonitorInterval = ProfileKeys::MonitorInterval.defaultValue;
    CPhoneLink m_link;
    int m_nCallState = CALL_IDLE;
    unsigned m_nTrayId = 0;

    // The display model: the four texts, code page 932.
    std::string m_strDisplay1;
    std::string m_strDisplay2;
    std::string m_strDisplay3;
    std::string m_strAntenna;

    QPointer<CControlPadDlg> m_pPad;

    // What the polls hand back, kept from tick to tick.
    char m_szIdleAnswer[IDLE_BUFFER_SIZE] = {};
    int m_nCharge = 0;
    uint8_t m_block3[3] = {};
    uint8_t m_block2[2] = {};

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
    // Start-up pieces (HandsetSkin.cpp).
    bool LoadSkin();
    void PlaceTextControls();
    // Tick pieces (HandsetMonitor.cpp).
    void TickIdle();
    void TickOffHook();
    void TickSending();
    void TickReceiving();
    void TickOnLine();
    void TickHolding();
    void BackToIdle();
    void LookUpCaller(const std::string& number);
    void ShowTopmost();
    // The settings dialog until the port opens; false when the user chose to
    // end the program instead.
    bool RunReconnectionLoop();
    std::string CurrentClockText() const;
    // Button pieces (HandsetButtons.cpp).
    // Hand over a button, arrow elsewhere.
    void SetCursorFor(const QPoint& clientPos);
    void DragStep(const QPoint& screenPos);
    void ReleaseDrag();
    // Escape and a double-click on BTN_QUIT: the window ends as confirmed.
    void EndAsConfirmed();
    // True for a key of the keyboard table.
    bool IsTableKey(const QKeyEvent& key) const;
    // Pushes the texts and repaints the whole window.
    void ShowTexts();
    // Menu pieces (HandsetMenus.cpp).
    void AddTrayIcon();
    void RemoveTrayIcon();
    // Shows menu `resourceId` with the timer stopped, then runs its command.
    void TrackMenuAndRun(int resourceId, const QPoint& globalPos);
    void ShowCurrentSettings();
    void OnAppAbout();
    // Deletes any pad still open, without saving its position.
    void DeletePads();

    QLabel* m_pText[4] = {};
    QTimer m_monitorTimer;
    ClockSource m_clock;
    QEventLoop* m_pModalLoop = nullptr;
    bool m_bEnded = false;
    bool m_bDestroyed = false;
    int m_nResult = -1;
    bool m_bInvalidate = false;
    QCursor m_curArrow;  // cursor 104
    QCursor m_curHand;   // cursor 133
    bool m_bCursorsLoaded = false;
    int m_nCursorKind = -1;  // the cursor set: -1 none yet, 0 arrow, 1 hand
    CTrayIcon* m_pTrayIcon = nullptr;
};
