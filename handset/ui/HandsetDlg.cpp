#include "handset/ui/HandsetDlg.h"

#include <QEventLoop>
#include <QLabel>

#include "app/ui/ProfileKeys.h"
#include "app/ui/ProfilePorts.h"
#include "app/ui/UiSeams.h"
#include "link/PortOpenMessage.h"
#include "platform/Cp932.h"

// The icons and cursors are compiled into a static library, from which the
// linker takes nothing that no code refers to: this reference brings them in.
static void InitResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(telvoxa);
        return true;
    }();
    (void)done;
}

namespace {

std::unique_ptr<CommDevice> MakeDevice(const CommDeviceFactory& factory) {
    if (factory) {
        if (auto device = factory()) return device;
    }
    return MakeProfileCommDevice();
}

std::tm SystemClock() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

CHandsetDlg::CHandsetDlg(QWidget* parent, CommDeviceFactory deviceFactory, ClockSource clock)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Tool),
      m_link(MakeDevice(deviceFactory)),
      m_clock(clock ? std::move(clock) : ClockSource(&SystemClock)) {
    InitResources();
    setObjectName(QStringLiteral("102"));
    // Only the end of the modal run ends the program, never a hidden window.
    setAttribute(Qt::WA_QuitOnClose, false);
    // The skin covers the whole window; nothing is erased under it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The template's font until the skin's display font replaces it.
    setFont(MakeDisplayFont(10));
    // Icon 128: its 32 x 32 and 16 x 16 images.
    m_hIcon.addFile(QStringLiteral(":/icons/128-32.png"), QSize(32, 32));
    m_hIcon.addFile(QStringLiteral(":/icons/128-16.png"), QSize(16, 16));

    const int ids[4] = {IDC_DISPLAY1, IDC_DISPLAY2, IDC_DISPLAY3, IDC_ANTENNA};
    for (int i = 0; i < 4; ++i) {
        auto* label = new QLabel(this);
        label->setObjectName(QString::number(ids[i]));
        label->setWordWrap(true);
        label->setAlignment((ids[i] == IDC_ANTENNA ? Qt::AlignLeft : Qt::AlignRight) |
                            Qt::AlignTop);
        label->setTextFormat(Qt::PlainText);
        // The text is drawn straight onto the skin, and the mouse goes
        // through to the skin's buttons beneath.
        label->setAutoFillBackground(false);
        label->setAttribute(Qt::WA_TransparentForMouseEvents);
        label->setGeometry(0, 0, 0, 0);
        m_pText[i] = label;
    }

    // The cursor follows the buttons also while no mouse button is held.
    setMouseTracking(true);

    m_monitorTimer.setTimerType(Qt::CoarseTimer);
    connect(&m_monitorTimer, &QTimer::timeout, this, [this] { OnTimer(MONITOR_TIMER_ID); });

    AddTrayIcon();
}

CHandsetDlg::~CHandsetDlg() {
    OnDestroy();
    // An open pad goes with its owner, before the link it points to.
    DeletePads();
}

QLabel* CHandsetDlg::TextControl(int id) const {
    switch (id) {
        case IDC_DISPLAY1:
            return m_pText[0];
        case IDC_DISPLAY2:
            return m_pText[1];
        case IDC_DISPLAY3:
            return m_pText[2];
        case IDC_ANTENNA:
            return m_pText[3];
        default:
            return nullptr;
    }
}

void CHandsetDlg::UpdateData(bool saveAndValidate) {
    std::string* strings[4] = {&m_strDisplay1, &m_strDisplay2, &m_strDisplay3, &m_strAntenna};
    for (int i = 0; i < 4; ++i) {
        if (saveAndValidate)
            *strings[i] = Utf8ToCp932(m_pText[i]->text().toStdString());
        else
            m_pText[i]->setText(QString::fromStdString(Cp932ToUtf8(*strings[i])));
    }
}

int CHandsetDlg::DoModal() {
    m_bEnded = false;
    m_nResult = -1;
    if (OnInitDialog()) {
        show();
        QEventLoop loop;
        m_pModalLoop = &loop;
        // The window may hide itself meanwhile; only EndDialog ends this.
        if (!m_bEnded) loop.exec(QEventLoop::DialogExec);
        m_pModalLoop = nullptr;
    }
    hide();
    OnDestroy();
    return m_nResult;
}

void CHandsetDlg::EndDialog(int result) {
    m_nResult = result;
    m_bEnded = true;
    QDialog::done(result);
    if (m_pModalLoop) m_pModalLoop->exit(result);
}

void CHandsetDlg::done(int result) {
    EndDialog(result);
}
void CHandsetDlg::accept() {
    EndDialog(IDOK);
}
void CHandsetDlg::reject() {
    EndDialog(IDCANCEL);
}

bool CHandsetDlg::OnInitDialog() {
    // 1, 2: empty texts; icons and title.
    UpdateData(false);
    setWindowIcon(m_hIcon);
    setWindowTitle(QStringLiteral("Telvoxa"));
    // 3
    m_nDragFlags = 0;
    m_bmpSkin = QPixmap();
    m_bmpPicture = QImage();

    // 4 to 13: skin bitmap, size, region, text areas, buttons, font.
    if (!LoadSkin()) {
        UiSeams::Messages().Show(this, QStringLiteral("BMP File Open Error !!"), MessageIcon::None);
        EndDialog(IDOK);
        return false;
    }

    // 14, 15: the link's settings, then the port.
    m_link.m_cable = ReadProfile(ProfileKeys::Cable);
    m_link.m_port = ReadProfile(ProfileKeys::Port);
    m_link.m_numdisp = ReadProfile(ProfileKeys::NumDisp);
    if (!m_link.CommOpen(0)) {
        UiSeams::Messages().Show(
            this, QString::fromStdString(PortOpenErrorMessage(m_link.Device())), MessageIcon::None);
        OnSettings();
        if (m_bEnded) return false;
    }

    // 16: forget what the phone sent before, and put it on hook.
    m_link.ClearBuf(1);
    m_link.HangUp();

    // 17, 18
    m_nCallState = CALL_IDLE;
    SetPicture(1);
    m_nMonitorInterval = ReadProfile(ProfileKeys::MonitorInterval);
    StartMonitor();
    return true;
}

void CHandsetDlg::OnDestroy() {
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    StopMonitor();
    DeletePads();
    m_link.CommClose(0);
    m_link.LogClose();
    RemoveTrayIcon();
}
