#include "platform/PrivateFileWrite.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "platform/win32/Win32Text.h"

namespace {

// A file is ours to write when it is a plain file on a disk with one name,
// reached without a link or other reparse point (the user's own folders on
// Windows are private to the user already).
bool UsableFile(HANDLE handle, std::string& reason) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        reason = "not a regular file";
        return false;
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        reason = "a link, not followed";
        return false;
    }
    if (info.nNumberOfLinks > 1) {
        reason = "the file has other names (hard links)";
        return false;
    }
    return true;
}

}  // namespace

std::FILE* OpenPrivateAppend(const std::string& path, std::string& reason) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        reason = "not a valid file name";
        return nullptr;
    }
    HANDLE handle =
        CreateFileW(wide.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = SystemMessage(GetLastError());
        return nullptr;
    }
    if (!UsableFile(handle, reason)) {
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_APPEND | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        reason = "cannot be written";
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "ab");
    if (file == nullptr) {
        _close(fd);
        reason = "cannot be written";
    }
    return file;
}

bool WritePrivateFile(const std::string& path, std::string_view bytes, std::string& reason) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) {
        reason = "not a valid file name";
        return false;
    }
    // An existing file is looked at without following a link to it.
    HANDLE existing = CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (existing != INVALID_HANDLE_VALUE) {
        const bool usable = UsableFile(existing, reason);
        CloseHandle(existing);
        if (!usable) return false;
    }
    const std::wstring temporary = wide + L".telvoxa-" + std::to_wstring(GetCurrentProcessId());
    HANDLE handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = SystemMessage(GetLastError());
        return false;
    }
    DWORD written = 0;
    const bool wrote =
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
        written == bytes.size() && FlushFileBuffers(handle);
    const DWORD writeError = GetLastError();
    CloseHandle(handle);
    if (!wrote || !MoveFileExW(temporary.c_str(), wide.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        reason = SystemMessage(wrote ? GetLastError() : writeError);
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
