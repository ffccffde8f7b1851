// The handset window itself under Wine, on a display, over a fake phone: its
// shape and text areas from the skin, an incoming call brought to the front,
// the skin's buttons and keys, and the quit command. Skipped without a display.

#include "winapp/Win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/ProfileKeyTable.h"
#include "platform/win32/RegistryProfile.h"
#include "support/FakeCommDevice.h"
#include "support/PhoneBytes.h"
#include "winapp/HandsetWnd.h"
#include "winapp/Resource.h"
#include "winapp/WinApp.h"
#include "winapp/WinText.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the scenario saw, checked on the test's thread once the window ended.
struct Seen {
    bool found = false;
    bool shaped = false;
    RECT shape{};
    RECT display3{};
    std::vector<std::pair<std::string, bool>> steps;  // what was waited for, and whether it came
    bool topmost = false;
};

std::string Text(HWND window, int id) {
    return Utf8FromWide(WindowText(GetDlgItem(window, id)));
}

// Waits (bounded) until control `id` shows `want`.
bool WaitForText(HWND window, int id, const std::string& want) {
    const auto until = Clock::now() + std::chrono::seconds(20);
    while (Clock::now() < until) {
        if (Text(window, id) == want) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

void Click(HWND window, const SkinRect& button) {
    const LPARAM at =
        MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

void Scenario(const SkinDefinition& skin, const std::atomic<bool>& ended, Seen& seen) {
    HWND window = nullptr;
    const auto until = Clock::now() + std::chrono::seconds(20);
    // A window that never comes (no display) ends the run at once.
    while (!window && !ended && Clock::now() < until) {
        window = FindWindowW(L"#32770", L"Telvoxa");
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    seen.found = window != nullptr;
    if (!window) return;
    const auto step = [&](const std::string& what, bool came) {
        seen.steps.push_back({what, came});
    };
    // The phone rings right after the start-up's hang-up.
    step("Receiving...", WaitForText(window, IDC_DISPLAY1, "Receiving..."));
    step("0312345678", WaitForText(window, IDC_DISPLAY3, "0312345678"));
    // The skin is in place by now: the window's shape and its text areas.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    seen.shaped = GetWindowRgn(window, region) != ERROR;
    GetRgnBox(region, &seen.shape);
    DeleteObject(region);
    GetWindowRect(GetDlgItem(window, IDC_DISPLAY3), &seen.display3);
    RECT frame;
    GetWindowRect(window, &frame);
    OffsetRect(&seen.display3, -frame.left, -frame.top);

    seen.topmost = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    // Send answers; dial keys during the call extend the number line.
    Click(window, skin.Button(BTN_SEND));
    step("On Line", WaitForText(window, IDC_DISPLAY1, "On Line"));
    for (int digit : {1, 2, 3}) Click(window, skin.Button(BTN_0 + digit));
    step("123", WaitForText(window, IDC_DISPLAY3, "123"));
    PostMessageW(window, WM_KEYDOWN, VK_BACK, 0);
    step("12", WaitForText(window, IDC_DISPLAY3, "12"));
    PostMessageW(window, WM_CHAR, '9', 0);
    step("129", WaitForText(window, IDC_DISPLAY3, "129"));
    PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
}

TEST(WinAppWindow, ShapedWindowAnswersACallAndTakesButtonsAndKeys) {
    const std::string root = "Software\\Orvel Applications\\TelvoxaWindowTest";
    auto profile = std::make_unique<RegistryProfile>(root);
    WriteProfile(*profile, ProfileKeys::SkinFile, std::string(TELVOXA_SKIN_DIR "/default.ini"));
    WinApp app(std::move(profile));
    std::vector<UserMessage> messages;
    ASSERT_TRUE(app.OpenSkinFile(messages));
    const SkinDefinition skin = ReadSkinDefinition(app);

    const HandsetDeviceFactory device = [](std::shared_ptr<const PortPaths>) {
        auto fake = std::make_unique<FakeCommDevice>();
        fake->ReplyTo({0xA6}, Join({{0xA5, 0xE0}, Codes("0312345678"), {0xAA}}), 300);
        fake->ReplyTo({0xA7}, {0xAF});
        return std::unique_ptr<CommDevice>(std::move(fake));
    };
    Seen seen;
    int result = -1;
    {
        CHandsetWnd window(app, device);
        std::atomic<bool> ended{false};
        std::thread scenario(Scenario, std::cref(skin), std::cref(ended), std::ref(seen));
        result = window.RunModal();
        ended = true;
        scenario.join();
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, root.c_str());
    if (!seen.found && result == -1) GTEST_SKIP() << "no display for windows";

    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(seen.shaped);
    // The default skin's corners are cut away; its shape lies within the bitmap.
    EXPECT_GE(seen.shape.left, 0);
    EXPECT_GT(seen.shape.right - seen.shape.left, 100);
    EXPECT_EQ(seen.display3.left, skin.Display3().left);
    EXPECT_EQ(seen.display3.top, skin.Display3().top);
    EXPECT_EQ(seen.display3.right, skin.Display3().right);
    for (const auto& [what, came] : seen.steps) EXPECT_TRUE(came) << "never showed " << what;
    EXPECT_TRUE(seen.topmost) << "an incoming call keeps the window in front";
}

}  // namespace
