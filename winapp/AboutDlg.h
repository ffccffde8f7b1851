#pragma once
// The version dialog 100: icon 128 and "Telvoxa Ver.1.06" from strings 102
// and 103.

#include "winapp/Win32.h"

#include <string>

// "%s Ver.%s" of the product name and the version.
std::wstring VersionText(const std::wstring& product, const std::wstring& version);
void RunAboutDlg(HWND owner);
