#pragma once
// Texts at the Win32 boundary: UTF-8 paths as the wide-character API wants
// them, and the system's words for an error.

#include <windows.h>

#include <string>
#include <string_view>

// Empty when `utf8` is not valid UTF-8.
std::wstring WidePath(const std::string& utf8);
// The UTF-8 form of a wide-character text (a lone surrogate becomes U+FFFD).
std::string Utf8Of(std::wstring_view wide);
// FormatMessage's English text for `error`, without the closing full stop.
std::string SystemMessage(DWORD error);
