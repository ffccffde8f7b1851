#pragma once
// The file-open dialog: `filter` is the Win32 list of pairs separated by NUL
// characters. The chosen full path (UTF-8), or nothing when cancelled.

#include "winapp/Win32.h"

#include <optional>
#include <string>

std::optional<std::string> ChooseFileToOpen(HWND owner, const wchar_t* filter,
                                            const wchar_t* defaultExtension);
std::optional<std::string> ChooseFileToSave(HWND owner, const wchar_t* filter,
                                            const wchar_t* defaultExtension,
                                            const std::wstring& name);
