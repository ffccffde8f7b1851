// The Windows program: one instance at a time, the profile in the registry,
// the skin settings file and the phone book, then the handset window until
// the user quits, and the file choices written back.

#include "winapp/Win32.h"

#include <commctrl.h>

#include <memory>

#include "app/ProfileKeyTable.h"
#include "platform/InstanceLock.h"
#include "platform/win32/RegistryProfile.h"
#include "winapp/HandsetWnd.h"
#include "winapp/Resource.h"
#include "winapp/WinApp.h"
#include "winapp/WinText.h"

namespace {

constexpr const char* kInstanceMutex = "h_Telvoxa_PrevInstance";

void Tell(const std::string& text, UINT flags = MB_OK) {
    MessageBoxW(nullptr, WideFromUtf8(text).c_str(), L"telvoxa", flags);
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
    if (instance.Acquire(kInstanceMutex) == InstanceLock::Outcome::HeldElsewhere) {
        Tell("Already Running !!");
        BringFirstForward();
        return 0;
    }

    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                        ICC_STANDARD_CLASSES | ICC_TAB_CLASSES};
    InitCommonControlsEx(&controls);

    WinApp app(std::make_unique<RegistryProfile>());
    if (!app.OpenSkinFile()) {
        Tell("ini File Open Error !!\n" + app.m_skinProblem);
        return 0;
    }
    const std::string book = ReadProfile(app.Profile(), ProfileKeys::PhoneBookFile);
    if (!book.empty()) {
        const std::string problem = app.LoadPhoneBook(book);
        if (!problem.empty()) Tell(problem, MB_OK | MB_ICONSTOP);
    }

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
