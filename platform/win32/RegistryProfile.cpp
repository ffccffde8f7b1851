#include "platform/win32/RegistryProfile.h"

#include <windows.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace {

// A profile text is a file path or a short setting; a longer value (written
// by something else) is not read whole, it reads as missing.
constexpr DWORD kMaxTextBytes = 64 * 1024;

// An open key, closed when the scope ends.
class Key {
public:
    Key() = default;
    ~Key() {
        if (m_key) RegCloseKey(m_key);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    HKEY* Out() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

std::wstring SectionPath(const std::string& root, const std::string& section) {
    return WidePath(root + "\\" + section);
}

// The value's type and bytes; false when the section or value is missing,
// unreadable or longer than any profile value.
bool QueryValue(const std::string& root, const std::string& section, const std::string& key,
                DWORD& type, std::vector<BYTE>& bytes) {
    const std::wstring path = SectionPath(root, section);
    const std::wstring name = WidePath(key);
    if (path.empty() || name.empty()) return false;
    Key opened;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, opened.Out()) !=
        ERROR_SUCCESS)
        return false;
    DWORD size = 0;
    if (RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS ||
        size > kMaxTextBytes)
        return false;
    bytes.assign(size, 0);
    // The value may have grown since its size was asked: then it is not read.
    if (RegQueryValueExW(opened.Get(), name.c_str(), nullptr, &type, bytes.data(), &size) !=
        ERROR_SUCCESS)
        return false;
    bytes.resize(size);
    return true;
}

}  // namespace

RegistryProfile::RegistryProfile(std::string root) : m_root(std::move(root)) {}

int RegistryProfile::ReadInt(const std::string& section, const std::string& key,
                             int defaultValue) const {
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!QueryValue(m_root, section, key, type, bytes) || type != REG_DWORD ||
        bytes.size() != sizeof(DWORD))
        return defaultValue;
    DWORD value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return static_cast<int>(value);
}

std::string RegistryProfile::ReadString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue) const {
    DWORD type = 0;
    std::vector<BYTE> bytes;
    if (!QueryValue(m_root, section, key, type, bytes) || type != REG_SZ) return defaultValue;
    // Stored with or without its closing NUL, possibly with an odd byte left over.
    std::wstring text(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(wchar_t));
    if (const size_t end = text.find(L'\0'); end != std::wstring::npos) text.resize(end);
    return Utf8Of(text);
}

bool RegistryProfile::WriteInt(const std::string& section, const std::string& key, int value) {
    const DWORD stored = static_cast<DWORD>(value);
    return Write(section, key, REG_DWORD, &stored, sizeof stored);
}

bool RegistryProfile::WriteString(const std::string& section, const std::string& key,
                                  const std::string& value) {
    const std::wstring wide = WidePath(value);
    if (wide.empty() && !value.empty()) {
        m_problem = m_root + "\\" + section + "\\" + key + ": the text is not valid UTF-8";
        return false;
    }
    return Write(section, key, REG_SZ, wide.c_str(),
                 static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

bool RegistryProfile::Write(const std::string& section, const std::string& key, unsigned long type,
                            const void* data, unsigned long size) {
    const std::string where = "HKEY_CURRENT_USER\\" + m_root + "\\" + section;
    const std::wstring path = SectionPath(m_root, section);
    const std::wstring name = WidePath(key);
    if (path.empty() || name.empty()) {
        m_problem = where + "\\" + key + ": not a valid name";
        return false;
    }
    Key created;
    LONG result = RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, created.Out(), nullptr);
    if (result == ERROR_SUCCESS)
        result = RegSetValueExW(created.Get(), name.c_str(), 0, type,
                                static_cast<const BYTE*>(data), size);
    if (result != ERROR_SUCCESS) {
        m_problem = where + ": " + SystemMessage(static_cast<DWORD>(result));
        return false;
    }
    return true;
}
