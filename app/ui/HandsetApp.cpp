#include "app/ui/HandsetApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <QUrl>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "app/ui/ApplicationStart.h"
#include "app/ui/DataFolder.h"
#include "app/ui/DialLinkTexts.h"
#include "app/ui/FirstRunSettings.h"
#include "app/ui/InstanceBeacon.h"
#include "app/ui/PhoneBookTexts.h"
#include "app/ui/Profile.h"
#include "app/ui/ProfileKeys.h"
#include "app/ui/SignalQuit.h"
#include "app/ui/UiSeams.h"
#include "handset/ui/HandsetDlg.h"
#include "phonebook/PhoneBookReread.h"
#include "phonebook/ui/PhoneBookReader.h"
#include "phonebook/ui/PhoneBookWatcher.h"
#include "platform/Cp932.h"
#include "platform/DeviceLocks.h"
#include "platform/ReadableFile.h"

namespace {

CHandsetApp* g_theApp = nullptr;

std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

std::string InDataFolder(const std::string& relative) {
    return NativePath(DataFolder::FilePath(QFile::decodeName(relative.c_str())));
}

void ShowMessages(QWidget* parent, const std::vector<UserMessage>& messages) {
    for (const UserMessage& message : messages) {
        UiSeams::Messages().Show(parent, QString::fromStdString(message.text), message.icon);
    }
}

}  // namespace

CHandsetApp* TheApp() {
    return g_theApp;
}

CHandsetApp::CHandsetApp() {
    g_theApp = this;
}

CHandsetApp::~CHandsetApp() {
    if (g_theApp == this) g_theApp = nullptr;
}

bool CHandsetApp::InitInstance() {
    // Another instance holds the lock: nothing else is touched but its
    // window, which comes forward. Without any place for a lock the program
    // still starts, as it cannot tell.
    InstanceBeacon beacon;
    switch (AcquireInstance(m_instanceLock, std::cerr)) {
        case InstanceLock::Outcome::Held:
            beacon.Listen(
                QFile::decodeName(m_instanceLock.SocketPath().c_str()),
                [this] { BringForward(m_pMainWnd); },
                [this](const std::string& number) {
                    if (!m_pMainWnd) return;
                    m_pMainWnd->ShowLinkedNumber(number);
                    BringForward(m_pMainWnd);
                });
            break;
        case InstanceLock::Outcome::HeldElsewhere:
            // A link's number is the running window's to show: no box here.
            if (!m_strLinkedNumber.empty()) {
                if (InstanceBeacon::AskToShow(
                        QFile::decodeName(m_instanceLock.SocketPath().c_str()), m_strLinkedNumber))
                    return false;
                std::fprintf(stderr, "telvoxa: %s\n", LinkNotHandedOverText().c_str());
            }
            UiSeams::Messages().Show(nullptr, QString::fromLatin1(ALREADY_RUNNING_TEXT),
                                     MessageIcon::None);
            InstanceBeacon::AskToComeForward(
                QFile::decodeName(m_instanceLock.SocketPath().c_str()));
            return false;
        case InstanceLock::Outcome::Unavailable:
            break;
    }
    Profile::SetRegistryKey(QString::fromLatin1(PROFILE_ROOT));

    const StartSkin skin = OpenStartSkin(m_skinFile, NativePath(ReadProfile(ProfileKeys::SkinFile)),
                                         ProfileKeys::SkinFile.defaultValue, InDataFolder);
    ShowMessages(nullptr, skin.messages);
    if (!skin.opened) return false;
    m_strSkinFile = QFile::decodeName(skin.profilePath.c_str());
    m_strSkinFileInUse = QFile::decodeName(skin.inUse.c_str());

    ClearPhoneBook();
    const QString phoneBook = ReadProfile(ProfileKeys::PhoneBookFile);
    // Read while the window comes up; the window gets it once it is read.
    if (!phoneBook.isEmpty()) StartPhoneBook(phoneBook);

    if (!OfferSettingsOnFirstRun(nullptr, m_deviceFactory)) return false;

    auto window = std::make_unique<CHandsetDlg>(nullptr, m_deviceFactory, m_clock);
    m_pMainWnd = window.get();
    if (!m_strLinkedNumber.empty()) window->ShowLinkedNumber(m_strLinkedNumber);
    const int result = window->DoModal();
    m_nLastRunResult = result;

    // Only a normal end stores the file choices.
    if (result == IDOK || result == IDCANCEL) {
        WriteProfile(ProfileKeys::SkinFile, m_strSkinFile);
        WriteProfile(ProfileKeys::PhoneBookFile, m_strPhoneBookFile);
        Profile::Sync();
        m_skinFile.Close();
        ClearPhoneBook();
    }
    m_pMainWnd = nullptr;
    if (window->LinkAbandoned()) EndWithoutTheLink(beacon);
    window.reset();
    return false;
}

void CHandsetApp::EndWithoutTheLink(InstanceBeacon& beacon) {
    // The link thread is stuck in a call nothing cuts short, and the window
    // and its session may not be torn down under it: the process ends here,
    // leaving neither the port's lock file nor the beacon's socket behind.
    std::fprintf(stderr, "telvoxa: the phone link did not end in time; ending without it\n");
    ReleaseHeldDeviceLocks();
    beacon.Close();
    std::fflush(nullptr);
    std::_Exit(0);
}

bool CHandsetApp::OpenSkinFile(const QString& path) {
    const auto opened = OpenSkinPath(m_skinFile, NativePath(path), InDataFolder);
    if (opened) m_strSkinFileInUse = QFile::decodeName(opened->c_str());
    return opened.has_value();
}

bool CHandsetApp::UseDefaultSkin() {
    const QString fallback = QString::fromLatin1(ProfileKeys::SkinFile.defaultValue);
    if (m_strSkinFileInUse == fallback || !OpenSkinFile(fallback)) return false;
    return true;
}

std::string CHandsetApp::GetSkinString(const std::string& key) {
    return m_skinFile.GetSkinString(key);
}

int32_t CHandsetApp::GetSkinInt(const std::string& key) {
    return m_skinFile.GetSkinInt(key);
}

SkinRect CHandsetApp::GetSkinRect(const std::string& key) {
    return m_skinFile.GetSkinRect(key);
}

QString CHandsetApp::SkinRelativePath(const std::string& cp932Value) const {
    // The value is code page 932 text; a 0x5C in it is a path separator, not a yen sign.
    const std::string value = Cp932ToUtf8(cp932Value, false);
    return QFile::decodeName(ComposeSkinPath(NativePath(m_strSkinFileInUse), value).c_str());
}

void CHandsetApp::ClearPhoneBook() {
    if (m_phoneBookReader) m_phoneBookReader->Cancel();
    m_pendingBook.reset();
    m_phoneBook.Clear();
    m_strPhoneBookFile.clear();
    if (m_phoneBookWatcher) m_phoneBookWatcher->Watch(QString());
}

void CHandsetApp::WatchPhoneBook() {
    if (!m_phoneBookWatcher) {
        m_phoneBookWatcher = std::make_unique<PhoneBookWatcher>([this] { ReloadPhoneBook(); });
    }
    m_phoneBookWatcher->Watch(m_strPhoneBookFile);
}

void CHandsetApp::ReadInBackground(bool changed) {
    if (!m_phoneBookReader) {
        m_phoneBookReader =
            std::make_unique<PhoneBookReader>([this](PhoneBookRead& read) { TakeReadBook(read); });
    }
    m_bookReadIsChange = changed;
    m_phoneBookReader->Read(NativePath(m_strPhoneBookFile));
}

void CHandsetApp::StartPhoneBook(const QString& path) {
    ClearPhoneBook();
    m_strPhoneBookFile = path;
    WatchPhoneBook();
    ReadInBackground(false);
}

void CHandsetApp::WaitForPhoneBook() {
    if (m_phoneBookReader) m_phoneBookReader->Flush();
    if (m_pendingBook) TakePendingBook();
}

void CHandsetApp::TakeReadBook(PhoneBookRead& read) {
    m_pendingBook = std::make_unique<PhoneBookRead>(std::move(read));
    m_pendingIsChange = m_bookReadIsChange;
    TakePendingBook();
}

void CHandsetApp::TakePendingBook() {
    // An open dialog may show the loaded book's records: it keeps them until
    // it closes.
    if (QApplication::activeModalWidget() != nullptr) {
        QTimer::singleShot(200, m_phoneBookReader.get(), [this] {
            if (m_pendingBook) TakePendingBook();
        });
        return;
    }
    const std::unique_ptr<PhoneBookRead> read = std::move(m_pendingBook);
    if (m_pendingIsChange) {
        const PhoneBookReread judged =
            JudgeReread(read->path, read->outcome, read->book->m_nRecords, m_phoneBook.m_nRecords);
        if (!judged.message.empty()) std::fprintf(stderr, "telvoxa: %s\n", judged.message.c_str());
        if (!judged.replace) return;
    } else {
        ReportPhoneBookOutcome(read->outcome);
    }
    std::swap(m_phoneBook, *read->book);
    if (m_pMainWnd) m_pMainWnd->PhoneBookChanged();
}

void CHandsetApp::LoadPhoneBook(const QString& path) {
    ClearPhoneBook();
    QWidget* parent = m_pMainWnd;
    // Only a book the user chose is confirmed; the one of the start is not.
    const bool chosenByUser = path.isEmpty();
    if (!path.isEmpty()) {
        m_strPhoneBookFile = path;
    } else {
        // The kind of book is told by its contents, not by its name.
        const auto chosen = UiSeams::Files().GetOpenFileName(
            parent, QStringLiteral(".mdd"),
            {QStringLiteral("電話帳 (*.mdd *.vcf *.csv)"),
             QStringLiteral("Memory Dial Data File(*.mdd)"), QStringLiteral("vCard (*.vcf)"),
             QStringLiteral("CSV (*.csv)"), QStringLiteral("All Files (*)")});
        if (!chosen) return;
        m_strPhoneBookFile = *chosen;
    }

    WatchPhoneBook();
    // The user waits for the file chosen: it is read here and now.
    const PhoneBookLoadOutcome outcome =
        LoadPhoneBookFile(NativePath(m_strPhoneBookFile), m_phoneBook);
    ReportPhoneBookOutcome(outcome);
    if (chosenByUser) ShowPhoneBookLoaded(parent, outcome);
}

void CHandsetApp::ReportPhoneBookOutcome(const PhoneBookLoadOutcome& outcome) {
    ShowMessages(m_pMainWnd, PhoneBookOutcomeMessages(outcome));
}

void CHandsetApp::ShowPhoneBookLoaded(QWidget* parent, const PhoneBookLoadOutcome& outcome) {
    // A file that gave nothing has had its error already.
    if (m_phoneBook.m_nRecords <= 0) return;
    QString stoppedAt;
    if (outcome.result == PhoneBookLoad::CountError) {
        stoppedAt = PhoneBookLimitText(MAX_MEMORY_DIAL);
    } else if (outcome.result != PhoneBookLoad::Loaded) {
        stoppedAt = QString::fromStdString(outcome.description);
    }
    UiSeams::Messages().Show(
        parent, PhoneBookLoadedText(m_phoneBook.m_nRecords, m_strPhoneBookFile, stoppedAt),
        MessageIcon::Information);
}

void CHandsetApp::ReloadPhoneBook() {
    if (m_strPhoneBookFile.isEmpty()) return;
    ReadInBackground(true);
}

void CHandsetApp::ChooseSkinFile() {
    QWidget* parent = m_pMainWnd;
    const auto chosen = UiSeams::Files().GetOpenFileName(
        parent, QStringLiteral(".ini"),
        {QStringLiteral("INI Files (*.ini)"), QStringLiteral("All Files (*)")});
    if (!chosen) return;
    // Takes effect at the next start, when the profile holds it.
    m_strSkinFile = *chosen;
    UiSeams::Messages().Show(parent, QStringLiteral("Restart the Application !!"),
                             MessageIcon::None);
}

void CHandsetApp::WinHelp(unsigned long, unsigned int) {
    QString readme = QDir::current().absoluteFilePath(QStringLiteral("Readme.txt"));
    if (!QFileInfo::exists(readme)) {
        const QString installed = DataFolder::FilePath(QStringLiteral("Readme.txt"));
        if (!installed.isEmpty() && QFileInfo::exists(installed)) readme = installed;
    }
    // A file that is there but no regular file (a FIFO would stop the viewer)
    // is not handed on. A missing file or viewer goes unreported.
    if (QFileInfo(readme).exists()) {
        const std::string problem = ReadableFileProblem(NativePath(readme));
        if (!problem.empty()) {
            std::fprintf(stderr, "telvoxa: %s: %s\n", NativePath(readme).c_str(), problem.c_str());
            return;
        }
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(readme));
}

int RunHandsetApp(int argc, char* argv[], const std::string& number) {
    const std::unique_ptr<QApplication> application = StartApplication(argc, argv);
    // The handset window may hide itself; only its own end finishes the run.
    QApplication::setQuitOnLastWindowClosed(false);
    CHandsetApp app;
    app.m_strLinkedNumber = number;
    // A logout, kill or Ctrl+C ends the run as the quit command does.
    SignalQuit signalQuit(app);
    app.InitInstance();
    // Held while the window and the application are torn down as well: a
    // second start in that time is still refused.
    app.m_instanceLock.KeepUntilExit();
    return 0;
}
