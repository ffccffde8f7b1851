#include "app/ui/HandsetApp.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cstdio>

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
#include "phonebook/ui/PhoneBookWatcher.h"
#include "platform/Cp932.h"

namespace {

CHandsetApp* g_theApp = nullptr;

std::string NativePath(const QString& path) {
    return QFile::encodeName(path).toStdString();
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
    switch (m_instanceLock.Acquire(INSTANCE_MUTEX_NAME)) {
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
            UiSeams::Messages().Show(nullptr, QStringLiteral("Already Running !!"),
                                     MessageIcon::None);
            InstanceBeacon::AskToComeForward(
                QFile::decodeName(m_instanceLock.SocketPath().c_str()));
            return false;
        case InstanceLock::Outcome::Unavailable:
            std::fprintf(stderr,
                         "telvoxa: warning: starting without the single-instance lock (%s)\n",
                         m_instanceLock.Problem().c_str());
            break;
    }
    Profile::SetRegistryKey(QString::fromLatin1(PROFILE_ROOT));

    m_strSkinFile = ReadProfile(ProfileKeys::SkinFile);
    if (!OpenSkinFile(m_strSkinFile)) {
        // A stored skin that no longer opens is replaced by the default one,
        // and that replacement is what goes back into the profile.
        m_strSkinFile = QString::fromLatin1(ProfileKeys::SkinFile.defaultValue);
        if (!OpenSkinFile(m_strSkinFile)) {
            UiSeams::Messages().Show(nullptr, QStringLiteral("ini File Open Error !!"),
                                     MessageIcon::None);
            return false;
        }
    }

    ClearPhoneBook();
    const QString phoneBook = ReadProfile(ProfileKeys::PhoneBookFile);
    if (!phoneBook.isEmpty()) LoadPhoneBook(phoneBook);

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
    window.reset();
    return false;
}

bool CHandsetApp::OpenSkinFile(const QString& path) {
    m_skinFile.Close();
    if (path.isEmpty()) return false;
    if (m_skinFile.Open(NativePath(path))) {
        m_strSkinFileInUse = path;
        return true;
    }
    if (QFileInfo(path).isAbsolute()) return false;
    const QString inData = DataFolder::FilePath(path);
    if (inData.isEmpty() || !m_skinFile.Open(NativePath(inData))) return false;
    m_strSkinFileInUse = inData;
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
    m_phoneBook.Clear();
    m_strPhoneBookFile.clear();
    if (m_phoneBookWatcher) m_phoneBookWatcher->Watch(QString());
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

    if (!m_phoneBookWatcher) {
        m_phoneBookWatcher = std::make_unique<PhoneBookWatcher>([this] { ReloadPhoneBook(); });
    }
    m_phoneBookWatcher->Watch(m_strPhoneBookFile);

    const PhoneBookLoadOutcome outcome =
        LoadPhoneBookFile(NativePath(m_strPhoneBookFile), m_phoneBook);
    switch (outcome.result) {
        case PhoneBookLoad::Loaded:
            break;
        case PhoneBookLoad::OpenError:
            UiSeams::Messages().Show(parent, QStringLiteral("mdd File Open Error !!"),
                                     MessageIcon::Stop);
            break;
        case PhoneBookLoad::CountError:
            UiSeams::Messages().Show(parent, QStringLiteral("Number of Memory Dial Error !!"),
                                     MessageIcon::Stop);
            break;
        case PhoneBookLoad::FileError:
            UiSeams::Messages().Show(parent, QString::fromStdString(outcome.description),
                                     MessageIcon::Stop);
            UiSeams::Messages().Show(parent, QStringLiteral("File Exception !!"),
                                     MessageIcon::Stop);
            break;
        case PhoneBookLoad::FormatError:
            UiSeams::Messages().Show(parent, QString::fromStdString(outcome.description),
                                     MessageIcon::Stop);
            break;
    }
    if (chosenByUser) ShowPhoneBookLoaded(parent, outcome);
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
    auto fresh = std::make_unique<PhoneBook>();
    const PhoneBookLoadOutcome outcome = LoadPhoneBookFile(NativePath(m_strPhoneBookFile), *fresh);
    // A file that cannot be read, or gives no entry at all (perhaps caught
    // half written: the next change reads it again), leaves the book in use.
    // A book read in part is taken, as loading it by hand would.
    const bool usable =
        outcome.result == PhoneBookLoad::Loaded || ((outcome.result == PhoneBookLoad::FormatError ||
                                                     outcome.result == PhoneBookLoad::CountError) &&
                                                    fresh->m_nRecords > 0);
    if (outcome.result != PhoneBookLoad::Loaded) {
        std::fprintf(stderr, "telvoxa: the changed phone book %s: %s%s\n",
                     NativePath(m_strPhoneBookFile).c_str(),
                     usable ? "read in part: " : "not read again; ", outcome.description.c_str());
    }
    if (!usable) return;
    std::swap(m_phoneBook, *fresh);
    if (m_pMainWnd) m_pMainWnd->PhoneBookChanged();
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
    // A missing file or viewer goes unreported.
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
