// The Windows program: one instance at a time, the profile in the registry,
// the skin settings file and the phone book, then the handset window until
// the user quits, and the file choices written back.

#include "winapp/Win32.h"

#include <commctrl.h>

#include <memory>
#include <sstream>
#include <vector>

#include "app/HandsetStart.h"
#include "app/ProfileKeyTable.h"
#include "platform/InstanceLock.h"
#include "platform/win32/RegistryProfile.h"
#include "winapp/HandsetWnd.h"
#include "winapp/Resource.h"
#include "winapp/WinApp.h"
#include "winapp/WinText.h"

namespace {

void Tell(const std::string& text, UINT flags = MB_OK) {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"telvoxa", flags);
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    InstanceLock instance;
    std::ostringstream diagnostics;
    if (AcquireInstance(instance, diagnostics) == InstanceLock::Outcome::HeldElsewhere) {
        Tell(ALREADY_RUNNING_TEXT);
        BringFirstForward();
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                        ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

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
