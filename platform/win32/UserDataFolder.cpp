#include "platform/UserDataFolder.h"

#include <shlobj.h>
#include <windows.h>

#include <cstdlib>

#include "platform/win32/Win32Text.h"

namespace {

// "C:\..." or "\\server\...": a relative value would put the data wherever
// the program happens to start.
bool IsAbsolute(const std::wstring& path) {
    if (path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/')) return true;
    return path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\';
}

std::wstring LocalAppData() {
    if (const wchar_t* value = _wgetenv(L"LOCALAPPDATA"); value && IsAbsolute(value)) return value;
    std::wstring folder;
    PWSTR known = nullptr;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &known) == S_OK) folder = known;
    CoTaskMemFree(known);
    return folder.empty() ? L"." : folder;
}

}  // namespace

std::string UserDataFolder() {
    std::wstring base = LocalAppData();
    while (base.size() > 3 && (base.back() == L'\\' || base.back() == L'/')) base.pop_back();
    return Utf8Of(base) + "\\Telvoxa";
}

std::string UserDataFile(const std::string& name) {
    return UserDataFolder() + "\\" + name;
}
