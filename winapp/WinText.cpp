#include "winapp/WinText.h"

#include <climits>

#include "platform/Cp932.h"

namespace {

std::wstring Widen(UINT codePage, DWORD flags, std::string_view bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return {};
    const int size = int(bytes.size());
    const int wide = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (wide <= 0) return {};
    std::wstring out(size_t(wide), L'\0');
    MultiByteToWideChar(codePage, flags, bytes.data(), size, out.data(), wide);
    return out;
}

}  // namespace

std::wstring WideFromCp932(std::string_view cp932, bool yenForBackslash) {
    std::wstring out = Widen(932, 0, cp932);
    if (yenForBackslash) {
        for (wchar_t& c : out) {
            if (c == L'\\') c = L'\u00A5';
        }
    }
    return out;
}

std::string Cp932FromWide(std::wstring_view wide) {
    // Through the core's table, which maps the characters where the system's
    // code page 932 and the phone's differ the same way on every system.
    return Utf8ToCp932(Utf8FromWide(wide));
}

std::wstring WideFromUtf8(std::string_view utf8) {
    return Widen(CP_UTF8, 0, utf8);
}

std::string Utf8FromWide(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int size = int(wide.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(size_t(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::wstring LoadResourceString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero length LoadStringW hands out the resource's own text.
    const int length =
        LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return length > 0 && text ? std::wstring(text, size_t(length)) : std::wstring();
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    if (length <= 0) return {};
    std::wstring text(size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(size_t(got > 0 ? got : 0));
    return text;
}
