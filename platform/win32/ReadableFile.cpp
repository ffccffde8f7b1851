#include "platform/ReadableFile.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <string>

#include "platform/win32/Win32Text.h"

namespace {

ReadableFile Refused(std::string reason) {
    ReadableFile refused;
    refused.reason = std::move(reason);
    return refused;
}

// The words Linux gives the usual failures (as the C runtime has them too),
// so that the user reads the same reason on both; the system's own else.
std::string OpenFailure(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return "No such file or directory";
        case ERROR_ACCESS_DENIED:
            return "Permission denied";
        default:
            return SystemMessage(error);
    }
}

}  // namespace

ReadableFile OpenReadableFile(const std::string& path, std::uint64_t maxSize) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return Refused("not a valid file name");
    // Others may read it meanwhile but not write it. A folder does not open
    // without backup semantics, and a pipe or device is refused below.
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return Refused(OpenFailure(GetLastError()));
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        CloseHandle(handle);
        return Refused("not a regular file");
    }
    const std::uint64_t size =
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (maxSize != 0 && size > maxSize) {
        CloseHandle(handle);
        return Refused("larger than " + std::to_string(maxSize) + " bytes");
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return Refused("cannot be read");
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (file == nullptr) {
        _close(fd);
        return Refused("cannot be read");
    }
    ReadableFile opened;
    opened.file = file;
    opened.size = size;
    return opened;
}
