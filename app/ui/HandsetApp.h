#pragma once
// The application object: the program's whole run (single instance, profile,
// skin settings file, phone book, the modal handset window) and the shared
// home of the open skin file, the phone book and the chosen file paths.

#include <QString>
#include <ctime>
#include <functional>
#include <memory>
#include <string>

#include "app/HandsetStart.h"
#include "app/SkinFile.h"
#include "handset/SkinDefinition.h"
#include "handset/StatusTexts.h"
#include "phonebook/PhoneBook.h"
#include "platform/CommDevice.h"
#include "platform/InstanceLock.h"

class CHandsetDlg;
class InstanceBeacon;
class QWidget;
class PhoneBookReader;
class PhoneBookWatcher;
struct PhoneBookRead;

class CHandsetApp : public SkinLookup {
public:
    CHandsetApp();
    ~CHandsetApp() override;
    CHandsetApp(const CHandsetApp&) = delete;
    CHandsetApp& operator=(const CHandsetApp&) = delete;

    // The whole run, from the single-instance test to the end of the handset
    // window; the instance lock stays held until this object ends. Always
    // false: no message loop follows.
    bool InitInstance();
    // A number from a link or --dial (dialled form) for the window to show,
    // or for the running instance when there is one. Before InitInstance.
    std::string m_strLinkedNumber;

    // Opens `path` as the skin settings file: as written (relative to the
    // current directory), else, for a relative path, in the program's data
    // folder. m_strSkinFileInUse is the path that opened.
    bool OpenSkinFile(const QString& path);
    // Opens the default skin settings file in place of the one in use (whose
    // bitmap failed) for this run only: m_strSkinFile, the user's choice,
    // stays for the profile. False when the default is the one in use or
    // does not open.
    bool UseDefaultSkin();

    // The skin settings file lookups (an absent key gives "", 0, all zeros).
    std::string GetSkinString(const std::string& key) override;
    int32_t GetSkinInt(const std::string& key) override;
    SkinRect GetSkinRect(const std::string& key) override;
    // A file named in the skin settings file, in the folder of the skin file
    // in use.
    QString SkinRelativePath(const std::string& cp932Value) const;

    // Phone book.
    void ClearPhoneBook();
    // An empty path asks for the file. Failures are reported here. The file
    // is then watched: when it changes, ReloadPhoneBook runs.
    void LoadPhoneBook(const QString& path);
    // Watches `path` and reads it on the reader's thread, as LoadPhoneBook
    // would; the book is empty until the reading is handed back.
    void StartPhoneBook(const QString& path);
    // Reads the phone book file again on the reader's thread and tells the
    // handset window; the book in use stays until then, and for good when
    // the new reading yields no entry (PhoneBookReread.h).
    void ReloadPhoneBook();
    // Waits for a reading under way and takes its book (for tests).
    void WaitForPhoneBook();

    // The end of a run whose link thread could not be ended: the port's
    // lock files removed, the process ended with status 0 at once.
    [[noreturn]] static void EndWithoutTheLink(InstanceBeacon& beacon);

    // After a book chosen from the menu: how many entries were read, and
    // where a file read in part stopped.
    void ShowPhoneBookLoaded(QWidget* parent, const PhoneBookLoadOutcome& outcome);

    // Lets the user choose another skin settings file for the next start.
    void ChooseSkinFile();
    // Opens "Readme.txt" with the desktop's viewer; both arguments are ignored.
    void WinHelp(unsigned long data = 0, unsigned int command = 0);

    QString m_strSkinFile;       // as stored in the profile
    QString m_strSkinFileInUse;  // the path that actually opened
    SkinFile m_skinFile;
    QString m_strBitmapFile;
    QString m_strPictureFile;
    QString m_strPhoneBookFile;
    PhoneBook m_phoneBook;
    std::unique_ptr<PhoneBookWatcher> m_phoneBookWatcher;
    std::unique_ptr<PhoneBookReader> m_phoneBookReader;
    InstanceLock m_instanceLock;
    CHandsetDlg* m_pMainWnd = nullptr;

private:
    void WatchPhoneBook();
    void ReadInBackground(bool changed);
    void TakeReadBook(PhoneBookRead& read);
    void TakePendingBook();
    // Failures of a book the user asked for, in the window.
    void ReportPhoneBookOutcome(const PhoneBookLoadOutcome& outcome);

    std::unique_ptr<PhoneBookRead> m_pendingBook;  // read, waiting for a dialog to close
    bool m_bookReadIsChange = false;               // of the reading asked for last
    bool m_pendingIsChange = false;

public:
    // Seams for tests: the handset window's device and clock (empty: the real
    // serial port from the profile, and the system clock).
    CommDeviceFactory m_deviceFactory;
    ClockSource m_clock;
    // End code of the handset window's last modal run (-1 before).
    int m_nLastRunResult = -1;
};

// The one application object, or null outside its life.
CHandsetApp* TheApp();

// Runs the whole program: returns the process exit status. `number`, when
// not empty, is shown in the window (dialled form).
int RunHandsetApp(int argc, char* argv[], const std::string& number = {});
