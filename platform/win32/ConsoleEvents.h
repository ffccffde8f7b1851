#pragma once
// The console control handler behind TerminationRequests on Windows, for
// tests to hand it an event as the system would. Include after <windows.h>.

BOOL WINAPI OnConsoleEvent(DWORD event);
