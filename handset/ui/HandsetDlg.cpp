#include "handset/ui/HandsetDlg.h"

#include <utility>

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include "app/ui/ProfileKeys.h"
#include "app/ui/ProfilePorts.h"
#include "app/ui/UiSeams.h"
#include "history/CallHistoryPath.h"
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

std::unique_ptr<CommDevice> MakeDevice(const CommDeviceFactory& factory,
                                       std::shared_ptr<const PortPaths> paths) {
    if (factory) {
        if (auto device = factory()) return device;
    }
    return MakeProfileCommDevice(std::move(paths));
}

}  // namespace

CHandsetDlg::CHandsetDlg(QWidget* parent, CommDeviceFactory deviceFactory, ClockSource clock)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Tool),
      m_session(MakeDevice(deviceFactory, m_portPaths), std::move(clock)) {
    m_session.SetView(this);
    m_session.SetPortPaths(m_portPaths);
    m_pThread = std::make_unique<LinkThread>(m_session);
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

void CHandsetDlg::RequestEnd() {
    if (m_bEnded) {
        // Asked again while the link finishes: nothing more is waited for.
        m_pThread->CutShort();
        return;
    }
    EndDialog(IDOK);
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
    ApplySnapshot(m_shown);
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

    // 14 to 18 run on the link thread, so that the window is live while the
    // port opens and the cable's handshake runs: the link's settings, the
    // port (else the open error and the settings loop, over the window), the
    // phone put on hook, idle with picture 1, and the monitoring.
    m_settings.cable = ReadProfile(ProfileKeys::Cable);
    m_settings.port = ReadProfile(ProfileKeys::Port);
    m_settings.numdisp = ReadProfile(ProfileKeys::NumDisp);
    m_settings.interval = ReadProfile(ProfileKeys::MonitorInterval);
    m_settings = SettingsWithPorts();
    PhoneBookChanged();
    // The recorder first, so that the notifier's end of a call finds it written.
    m_pRecorder = std::make_unique<CallRecorder>(CallHistoryPath());
    m_session.AddCallSink(m_pRecorder.get());
    m_pNotifier = std::make_unique<CCallNotifier>();
    connect(m_pNotifier.get(), &CCallNotifier::CallEnded, this, &CHandsetDlg::UpdateTrayTip);
    m_session.AddCallSink(m_pNotifier.get());
    m_pThread->Start();
    Post([settings = m_settings](HandsetSession& session) { session.Start(settings); });
    if (!m_strLinkedNumber.empty()) ShowLinkedNumber(std::exchange(m_strLinkedNumber, {}));
    return true;
}

void CHandsetDlg::OnDestroy() {
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    DeletePads();
    // No menu of the icon opens while the link finishes.
    RemoveTrayIcon();
    const auto close = [](HandsetSession& session) { session.Close(); };
    if (!m_pThread->Started()) {
        m_pThread->Shutdown(close);
        return;
    }
    // What was asked of the link runs to its end (a hang-up with its
    // charge), then the port and the log are closed on the link thread. The
    // window's events go on meanwhile, so that a second quit request (a
    // signal) can cut it short; the user's own input waits.
    QEventLoop finishing;
    m_pThread->Finish(close, [&finishing] {
        QMetaObject::invokeMethod(&finishing, "quit", Qt::QueuedConnection);
    });
    QTimer bound;
    bound.setSingleShot(true);
    connect(&bound, &QTimer::timeout, this, [this] { m_pThread->CutShort(); });
    bound.start(kEndBoundMs);
    if (!m_pThread->Ended()) finishing.exec(QEventLoop::ExcludeUserInputEvents);
    // Joined before the loop goes: the thread's last call names it.
    m_pThread->Shutdown({});
}

ConnectionSettings CHandsetDlg::SettingsWithPorts() const {
    ConnectionSettings settings = m_settings;
    settings.portPaths = ProfilePortPaths();
    return settings;
}

void CHandsetDlg::AskIdle(std::function<void(bool idle)> answer) {
    Post([this, answer = std::move(answer)](HandsetSession& session) {
        const bool idle = session.IsIdle();
        QMetaObject::invokeMethod(
            this,
            [this, answer, idle] {
                if (!m_bDestroyed && !m_bEnded) answer(idle);
            },
            Qt::QueuedConnection);
    });
}

void CHandsetDlg::Post(LinkThread::Input input) {
    m_pThread->Post(std::move(input));
}

void CHandsetDlg::Flush() {
    m_pThread->Flush();
    // What the session reported is queued for this thread.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CHandsetDlg::StopMonitor() {
    ++m_nMonitorPauses;
    m_pThread->PauseTicks();
}

void CHandsetDlg::StartMonitor() {
    if (m_nMonitorPauses == 0) return;
    --m_nMonitorPauses;
    m_pThread->ResumeTicks();
}

void CHandsetDlg::PhoneBookChanged() {
    const CHandsetApp* app = TheApp();
    auto directory = app ? CallerDirectory::FromPhoneBook(app->m_phoneBook)
                         : std::shared_ptr<const CallerDirectory>();
    Post([directory](HandsetSession& session) { session.SetCallerDirectory(directory); });
}
