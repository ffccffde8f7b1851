#include "ProbeWindows.h"

#include <vector>

namespace probe {
namespace {

constexpr UINT kAnswerLimitMs = 5000;  // a window busier than this is hung
constexpr int kStaticId = 0xFFFF;      // the id of a message box's text

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> found;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring TitleOf(HWND window) {
    std::wstring title;
    ReadText(window, title);
    return title;
}

bool IsDialog(HWND window) {
    return IsWindowVisible(window) && ClassOf(window) == L"#32770";
}

}  // namespace

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

bool ReadText(HWND control, std::wstring& text) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerLimitMs,
                             &length))
        return false;
    std::vector<wchar_t> buffer(length + 1);
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, buffer.size(),
                             reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                             kAnswerLimitMs, &copied))
        return false;
    text.assign(buffer.data(), copied);
    return true;
}

HWND FindHandset() {
    for (HWND window : TopLevelWindows()) {
        if (GetDlgItem(window, 1004) != nullptr && TitleOf(window) == L"Telvoxa") return window;
    }
    return nullptr;
}

HWND FindDialog(const std::wstring& dialogName, DWORD pid) {
    for (HWND window : TopLevelWindows()) {
        if (!IsDialog(window) || (pid != 0 && ProcessOf(window) != pid)) continue;
        if (GetDlgItem(window, 1004) != nullptr) continue;  // the handset itself
        if (!dialogName.empty() && dialogName[0] == L'#') {
            if (GetDlgItem(window, _wtoi(dialogName.c_str() + 1)) != nullptr) return window;
        } else if (TitleOf(window) == dialogName) {
            return window;
        }
    }
    return nullptr;
}

HWND FindMessageBox(const std::wstring& text) {
    for (HWND window : TopLevelWindows()) {
        if (!IsDialog(window)) continue;
        HWND message = GetDlgItem(window, kStaticId);
        std::wstring shown;
        if (message != nullptr && ReadText(message, shown) &&
            shown.find(text) != std::wstring::npos)
            return window;
    }
    return nullptr;
}

HWND FindPopupMenu(DWORD pid) {
    for (HWND window : TopLevelWindows()) {
        if (IsWindowVisible(window) && ClassOf(window) == L"#32768" && ProcessOf(window) == pid)
            return window;
    }
    return nullptr;
}

bool WaitFor(int limitMs, const std::function<bool()>& ready) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(limitMs);
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string out(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    int size =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

}  // namespace probe
