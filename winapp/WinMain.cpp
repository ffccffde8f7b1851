// The Windows program: one instance at a time, the profile in the registry,
// the skin settings file and the phone book, then the handset window until
// the user quits, and the file choices written back.

#include "winapp/Win32.h"

#include <commctrl.h>

#include <shellapi.h>

#include <memory>
#include <sstream>
#include <vector>

#include "app/HandsetStart.h"
#include "app/ProfileKeyTable.h"
#include "phonebook/DialLink.h"
#include "phonebook/DialLinkMessages.h"
#include "platform/InstanceLock.h"
#include "platform/win32/RegistryProfile.h"
#include "winapp/HandsetWnd.h"
#include "winapp/Resource.h"
#include "winapp/WinApp.h"
#include "winapp/WinText.h"

namespace {

void Tell(const std::string& text, UINT flags = MB_OK) {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"Telvoxa", flags);
}

void Tell(const std::vector<UserMessage>& messages) {
    for (const UserMessage& message : messages)
        Tell(message.text, message.icon == MessageIcon::Stop          ? MB_OK | MB_ICONSTOP
                           : message.icon == MessageIcon::Information ? MB_OK | MB_ICONINFORMATION
                                                                      : MB_OK);
}

// The first instance's window comes forward for the second start.
void BringFirstForward() {
    HWND first = FindWindowW(nullptr, LoadResourceString(IDS_PRODUCT).c_str());
    if (!first) return;
    ShowWindow(first, SW_SHOWNORMAL);
    SetForegroundWindow(first);
}

// What the command line asks: a number from a tel: or callto: link (or
// after --dial), or nothing. False, with the user told, for a link that
// holds no number to show.
bool ReadLinkedNumber(std::string& number) {
    int count = 0;
    LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!args) return true;
    bool fine = true;
    for (int i = 1; i < count && fine; ++i) {
        std::string arg = Utf8FromWide(args[i]);
        if (arg == "--dial" && i + 1 < count) {
            arg = Utf8FromWide(args[++i]);
        } else if (!IsDialLink(arg)) {
            continue;
        }
        const DialLink parsed = ParseDialLink(arg);
        if (parsed.problem == DialLinkProblem::None) {
            number = parsed.digits;
        } else {
            Tell(DialLinkProblemMessage(parsed, arg), MB_OK | MB_ICONSTOP);
            fine = false;
        }
    }
    LocalFree(args);
    return fine;
}

// Hands `number` to the first instance's window, which shows it.
bool HandOver(const std::string& number) {
    HWND first = FindWindowW(nullptr, LoadResourceString(IDS_PRODUCT).c_str());
    if (!first) return false;
    COPYDATASTRUCT data{kLinkedNumberCopyData, static_cast<DWORD>(number.size()),
                        const_cast<char*>(number.data())};
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(first, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                               SMTO_ABORTIFHUNG, 5000, &answer) != 0 &&
           answer != 0;
}

// The skin's settings file is looked for in the working folder. A program
// started from a link or without a shortcut has another one: then the
// program's own folder, where the setup put the default skin, stands in.
void FindDefaultSkinFolder() {
    if (GetFileAttributesW(L"default.ini") != INVALID_FILE_ATTRIBUTES) return;
    std::wstring path(MAX_PATH, L'\0');
    DWORD size = 0;
    while ((size = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()))) >= path.size()) {
        if (path.size() > 32768) return;
        path.resize(path.size() * 2);
    }
    if (size == 0) return;
    path.resize(size);
    const size_t slash = path.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return;
    const std::wstring folder = path.substr(0, slash);
    if (GetFileAttributesW((folder + L"\\default.ini").c_str()) != INVALID_FILE_ATTRIBUTES)
        SetCurrentDirectoryW(folder.c_str());
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    std::string linkedNumber;
    if (!ReadLinkedNumber(linkedNumber)) return 2;
    InstanceLock instance;
    std::ostringstream diagnostics;
    if (AcquireInstance(instance, diagnostics) == InstanceLock::Outcome::HeldElsewhere) {
        // A link goes to the program already running, which shows its number.
        if (!linkedNumber.empty()) {
            if (HandOver(linkedNumber)) return 0;
            Tell(LinkNotHandedOverMessage(), MB_OK | MB_ICONSTOP);
            return 2;
        }
        Tell(ALREADY_RUNNING_TEXT);
        BringFirstForward();
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                        ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    FindDefaultSkinFolder();
    WinApp app(std::make_unique<RegistryProfile>());
    std::vector<UserMessage> messages;
    const bool opened = app.OpenSkinFile(messages);
    Tell(messages);
    // Nothing is written back when no skin opened.
    if (!opened) return 0;
    const std::string book = ReadProfile(app.Profile(), ProfileKeys::PhoneBookFile);
    if (!book.empty()) Tell(app.LoadPhoneBook(book));

    int result = -1;
    {
        CHandsetWnd window(app);
        if (!linkedNumber.empty()) window.ShowLinkedNumber(linkedNumber);
        result = window.RunModal();
    }
    if (result == IDOK || result == IDCANCEL) {
        const std::string problem = app.SaveFileChoices();
        if (!problem.empty()) Tell(problem, MB_OK | MB_ICONWARNING);
    }
    // No second instance starts while this one is still ending.
    instance.KeepUntilExit();
    return 0;
}
