#pragma once
// Texts at the window's edge. The model keeps code page 932 bytes; the
// windows take wide characters, converted explicitly from code page 932 so
// that Japanese shows on a Windows of any language.

#include "winapp/Win32.h"

#include <string>
#include <string_view>

// Code page 932 bytes as the display shows them: the byte 0x5C is the yen
// sign, as a Japanese font draws it (unless `yenForBackslash` is false, for
// paths). Bytes that are no code page 932 character become U+FFFD.
std::wstring WideFromCp932(std::string_view cp932, bool yenForBackslash = true);
// A wide text typed by the user as code page 932 bytes ("¥" is 0x5C);
// characters without a code page 932 form are dropped.
std::string Cp932FromWide(std::wstring_view wide);
// UTF-8 (the core's messages and paths) and wide characters.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);
// String resource `id` of this program.
std::wstring LoadResourceString(UINT id);
// The text of a control or window.
std::wstring WindowText(HWND window);
