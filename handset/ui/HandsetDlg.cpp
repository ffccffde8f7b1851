#include "handset/ui/HandsetDlg.h"

#include <utility>

#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QTimer>

#include "app/ui/LinkProfile.h"
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
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Tool) {
    HandsetView& view = *this;
    UiDispatcher& ui = *this;
    m_controller = std::make_unique<HandsetController>(
        view, ui,
        [deviceFactory](std::shared_ptr<const PortPaths> paths) {
            return MakeDevice(deviceFactory, std::move(paths));
        },
        std::move(clock));
    m_controller->OnLinkedNumberDropped(
        [this](const std::string& number) { ShowLinkWhileBusy(number); });
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
    // The window stays, saying that the program ends, until the link is done.
    OnDestroy();
    hide();
    return m_nResult;
}

void CHandsetDlg::EndDialog(int result) {
    m_nResult = result;
    m_bEnded = true;
    m_controller->MarkEnded();
    // Not QDialog::done, which hides the window: it stays until the link is
    // done, saying that the program ends.
    setResult(result);
    if (m_pModalLoop) m_pModalLoop->exit(result);
}

void CHandsetDlg::RequestEnd() {
    if (m_bEnded) {
        // Asked again: the inputs still queued are no longer waited for.
        m_controller->CutEndingShort();
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
    // Empty texts, the icon and the title.
    ShowSnapshot(m_shown);
    setWindowIcon(m_hIcon);
    setWindowTitle(QStringLiteral("Telvoxa"));
    // No drag under way, no skin yet.
    m_nDragFlags = 0;
    m_bmpSkin = QPixmap();
    m_bmpPicture = QImage();

    // The skin: its bitmap gives the window's size and shape, its settings
    // the text areas, the buttons and the font. Without it nothing can show.
    if (!LoadSkin()) {
        // The message names the bitmap and why; the default skin then stands
        // in for this run, so the user can choose another skin from the menu.
        QString text = QStringLiteral("BMP File Open Error !!\n") + m_strSkinProblem;
        CHandsetApp* app = TheApp();
        const bool fallback = app && app->UseDefaultSkin() && LoadSkin();
        if (fallback) text += QStringLiteral("\nStarting with the default skin.");
        UiSeams::Messages().Show(this, text, MessageIcon::None);
        if (!fallback) {
            EndDialog(IDOK);
            return false;
        }
    }

    // The connection itself runs on the link thread, so that the window is
    // live while the port opens and the cable's handshake runs: the link
    // takes its settings, opens the port (else the open error and the
    // settings loop come up over the window), puts the phone on hook, shows
    // idle with the first picture and starts monitoring the phone. Values
    // out of range are taken as their defaults (the settings dialog says which).
    const LinkProfile link = ReadLinkProfile();
    m_settings.cable = link.cable;
    m_settings.port = link.port;
    m_settings.numdisp = ReadProfile(ProfileKeys::NumDisp);
    m_settings.interval = link.interval;
    m_settings = SettingsWithPorts();
    PhoneBookChanged();
    m_controller->OnHistoryChanged([this] { UpdateTrayTip(); });
    m_pNotifier = std::make_unique<CCallNotifier>();
    connect(m_pNotifier.get(), &CCallNotifier::CallEnded, this, &CHandsetDlg::UpdateTrayTip);
    m_controller->AddCallSink(m_pNotifier.get());
    m_controller->Start(m_settings, CallHistoryPath());
    return true;
}

void CHandsetDlg::OnDestroy() {
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    DeletePads();
    // No menu of the icon opens while the link finishes.
    RemoveTrayIcon();
    // The window's events go on while the link finishes; the user's own
    // input waits, and the window says why nothing answers.
    m_controller->End([this] { ShowEnding(); });
}

void CHandsetDlg::Post(std::function<void()> fn) {
    QMetaObject::invokeMethod(this, std::move(fn), Qt::QueuedConnection);
}

void CHandsetDlg::RunEvents(std::chrono::milliseconds most) {
    QEventLoop finishing;
    QTimer::singleShot(most, &finishing, &QEventLoop::quit);
    m_pFinishing = &finishing;
    finishing.exec(QEventLoop::ExcludeUserInputEvents);
    m_pFinishing = nullptr;
}

void CHandsetDlg::StopEvents() {
    if (m_pFinishing) m_pFinishing->quit();
}

void CHandsetDlg::ShowEnding() {
    // In place of the display's lines, which still take what the session
    // reports (a charge that comes meanwhile is recorded, not seen).
    QRect area;
    for (int i = 0; i < 3; ++i) {
        area = area.united(m_pText[i]->geometry());
        m_pText[i]->hide();
    }
    m_pText[3]->hide();
    auto* notice = new QLabel(QStringLiteral("終了しています…"), this);
    notice->setObjectName(QStringLiteral("ending"));
    notice->setTextFormat(Qt::PlainText);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignRight | Qt::AlignTop);
    notice->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice->setGeometry(area);
    notice->show();
}

ConnectionSettings CHandsetDlg::SettingsWithPorts() const {
    ConnectionSettings settings = m_settings;
    settings.portPaths = ProfilePortPaths();
    return settings;
}

void CHandsetDlg::Post(LinkThread::Input input) {
    m_controller->Post(std::move(input));
}

void CHandsetDlg::Flush() {
    m_controller->Thread().Flush();
    // What the session reported is queued for this thread.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void CHandsetDlg::StopMonitor() {
    m_controller->PauseMonitor();
}

void CHandsetDlg::StartMonitor() {
    m_controller->ResumeMonitor();
}

void CHandsetDlg::PhoneBookChanged() {
    const CHandsetApp* app = TheApp();
    if (app) {
        m_controller->SetPhoneBook(app->m_phoneBook);
    } else {
        Post([](HandsetSession& session) { session.SetCallerDirectory(nullptr); });
    }
}
