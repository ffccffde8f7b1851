#pragma once
// Finding Telvoxa's windows from another process and reading them: the
// handset, its dialogs and message boxes, polled with a time limit.

#include <windows.h>

#include <functional>
#include <string>

namespace probe {

// The handset: a top-level window titled "Telvoxa" that holds the status
// line (control 1004). Message boxes share the title but not the control.
HWND FindHandset();

// A top-level dialog (class "#32770") of process `pid` (any process when 0)
// that matches `dialogName`: "#ID" for one holding control ID, otherwise its title.
HWND FindDialog(const std::wstring& dialogName, DWORD pid);

// A message box (any process) whose text contains `text`.
HWND FindMessageBox(const std::wstring& text);

// The open pop-up menu of process `pid`, if any.
HWND FindPopupMenu(DWORD pid);

DWORD ProcessOf(HWND window);

// The control's text; false when the window does not answer in time.
bool ReadText(HWND control, std::wstring& text);

// Calls `ready` every 50 ms until it is true or `limitMs` have passed.
bool WaitFor(int limitMs, const std::function<bool()>& ready);

std::string Utf8(const std::wstring& text);
std::wstring Wide(const std::string& utf8);

}  // namespace probe
