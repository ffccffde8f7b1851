// The user's own files on Windows: a folder and files whose access list
// names this user alone (inherited by what is made inside), never reached
// through a link or other reparse point.

#include "platform/PrivateFiles.h"

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>

#include <memory>

#include "platform/win32/Win32Text.h"

namespace {

// The access list "this user only, for the object and everything in it",
// protected from what the parent folder would pass on.
class OwnerOnly {
public:
    OwnerOnly() {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return;
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        auto user = std::make_unique<BYTE[]>(size ? size : 1);
        LPWSTR sid = nullptr;
        if (size && GetTokenInformation(token, TokenUser, user.get(), size, &size) &&
            ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user.get())->User.Sid, &sid)) {
            const std::wstring sddl = std::wstring(L"D:P(A;OICI;FA;;;") + sid + L")";
            ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                                 &m_descriptor, nullptr);
            LocalFree(sid);
        }
        CloseHandle(token);
        m_attributes.nLength = sizeof m_attributes;
        m_attributes.lpSecurityDescriptor = m_descriptor;
    }
    ~OwnerOnly() {
        if (m_descriptor) LocalFree(m_descriptor);
    }
    OwnerOnly(const OwnerOnly&) = delete;
    OwnerOnly& operator=(const OwnerOnly&) = delete;

    // For a new folder or file; the system's default when the list could
    // not be made.
    SECURITY_ATTRIBUTES* Attributes() { return m_descriptor ? &m_attributes : nullptr; }
    // Puts the list on an open handle (with WRITE_DAC); false with the
    // system's error when it could not.
    DWORD ApplyTo(HANDLE handle) const {
        if (!m_descriptor) return ERROR_INVALID_SECURITY_DESCR;
        BOOL present = FALSE, defaulted = FALSE;
        PACL dacl = nullptr;
        if (!GetSecurityDescriptorDacl(m_descriptor, &present, &dacl, &defaulted))
            return GetLastError();
        return SetSecurityInfo(handle, SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, dacl, nullptr);
    }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
    SECURITY_ATTRIBUTES m_attributes{};
};

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (IsOpen()) CloseHandle(m_handle);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool IsOpen() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return m_handle; }

private:
    HANDLE m_handle;
};

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the object itself: a link or junction is opened as what it is.
HANDLE OpenNoFollow(const std::wstring& path, DWORD access, DWORD disposition,
                    SECURITY_ATTRIBUTES* attributes = nullptr) {
    return CreateFileW(
        path.c_str(), access, kShareAll, attributes, disposition,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// Each missing folder on the way is made private.
void MakeParents(const std::wstring& folder, OwnerOnly& owner) {
    size_t end = folder.size();
    while (end > 0 && !IsSeparator(folder[end - 1])) --end;
    while (end > 0 && IsSeparator(folder[end - 1])) --end;
    // A drive ("C:") or the start of a share is never made.
    if (end <= 2) return;
    const std::wstring parent = folder.substr(0, end);
    if (GetFileAttributesW(parent.c_str()) != INVALID_FILE_ATTRIBUTES) return;
    MakeParents(parent, owner);
    CreateDirectoryW(parent.c_str(), owner.Attributes());
}

std::string ErrorText(DWORD error) {
    return SystemMessage(error);
}

// What is wrong with an open object for our use, or empty.
std::string CheckKind(HANDLE handle, bool wantFolder) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) return ErrorText(GetLastError());
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return wantFolder ? "the folder is a link" : "the file is a link";
    const bool folder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (wantFolder && !folder) return "not a folder";
    if (!wantFolder && (folder || GetFileType(handle) != FILE_TYPE_DISK))
        return "not a regular file";
    return {};
}

}  // namespace

std::string MakePrivateFolder(const std::string& folder) {
    const std::wstring path = WidePath(folder);
    if (path.empty()) return "not a valid path";
    OwnerOnly owner;
    MakeParents(path, owner);
    if (!CreateDirectoryW(path.c_str(), owner.Attributes()) &&
        GetLastError() != ERROR_ALREADY_EXISTS)
        return ErrorText(GetLastError());
    const Handle opened(OpenNoFollow(path, READ_CONTROL | WRITE_DAC, OPEN_EXISTING));
    if (!opened.IsOpen()) return ErrorText(GetLastError());
    if (std::string problem = CheckKind(opened.Get(), true); !problem.empty()) return problem;
    // An existing folder loses what others may do in it.
    if (const DWORD error = owner.ApplyTo(opened.Get()); error != ERROR_SUCCESS)
        return ErrorText(error);
    return {};
}

std::string MakePrivateFile(const std::string& path, bool& created) {
    created = false;
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return "not a valid path";
    OwnerOnly owner;
    HANDLE handle = OpenNoFollow(wide, GENERIC_READ | READ_CONTROL | WRITE_DAC, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_NOT_FOUND) {
        // Exclusive, so that a file someone slips in meanwhile is not taken.
        handle = OpenNoFollow(wide, GENERIC_READ | GENERIC_WRITE | READ_CONTROL | WRITE_DAC,
                              CREATE_NEW, owner.Attributes());
        created = handle != INVALID_HANDLE_VALUE;
    }
    const Handle opened(handle);
    if (!opened.IsOpen()) return ErrorText(GetLastError());
    if (std::string problem = CheckKind(opened.Get(), false); !problem.empty()) return problem;
    if (!created) {
        if (const DWORD error = owner.ApplyTo(opened.Get()); error != ERROR_SUCCESS)
            return ErrorText(error);
    }
    return {};
}

void NarrowToOwner(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return;
    const Handle opened(OpenNoFollow(wide, READ_CONTROL | WRITE_DAC, OPEN_EXISTING));
    if (!opened.IsOpen() || !CheckKind(opened.Get(), false).empty()) return;
    OwnerOnly().ApplyTo(opened.Get());
}

std::string ReadOnlyReason(const std::string& path) {
    const std::wstring wide = WidePath(path);
    if (wide.empty()) return {};
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    // A folder's read-only mark only asks the shell to look for its
    // customisation; nothing stops writing in it.
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return "the file is read-only";
    wchar_t volume[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (GetVolumePathNameW(wide.c_str(), volume, MAX_PATH) &&
        GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
        (flags & FILE_READ_ONLY_VOLUME) != 0)
        return "the file system is read-only";
    return {};
}

std::optional<std::uint64_t> FreeBytes(const std::string& path) {
    std::wstring wide = WidePath(path);
    if (wide.empty()) return std::nullopt;
    // The free space is asked of a folder: a file's is its folder's.
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        size_t end = wide.find_last_of(L"\\/");
        wide = end == std::wstring::npos ? L"." : wide.substr(0, end + 1);
    }
    ULARGE_INTEGER available{};
    if (!GetDiskFreeSpaceExW(wide.c_str(), &available, nullptr, nullptr)) return std::nullopt;
    return available.QuadPart;
}
