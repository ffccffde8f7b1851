#include "platform/win32/ComPorts.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <utility>
#include <vector>

#include "platform/win32/Win32Text.h"

namespace {

constexpr const wchar_t* kSerialComm = L"HARDWARE\\DEVICEMAP\\SERIALCOMM";
// A port's name or device is short; anything longer is not a port entry.
constexpr DWORD kMaxEntryChars = 256;

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The n of "COMn", 0 for any other name.
unsigned long PortNumber(const std::string& name) {
    const std::string upper = Upper(name);
    if (upper.size() < 4 || upper.size() > 7 || upper.compare(0, 3, "COM") != 0) return 0;
    unsigned long n = 0;
    for (size_t i = 3; i < upper.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(upper[i]))) return 0;
        n = n * 10 + static_cast<unsigned long>(upper[i] - '0');
    }
    return n;
}

}  // namespace

std::vector<ListedComPort> RegistryComPorts() {
    std::vector<ListedComPort> ports;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSerialComm, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return ports;
    // Bounded: a machine has a few ports, never thousands.
    for (DWORD index = 0; index < 1024; ++index) {
        wchar_t device[kMaxEntryChars + 1] = {};
        DWORD deviceChars = kMaxEntryChars;
        wchar_t name[kMaxEntryChars + 1] = {};
        DWORD nameBytes = kMaxEntryChars * sizeof(wchar_t);
        DWORD type = 0;
        const LONG result = RegEnumValueW(key, index, device, &deviceChars, nullptr, &type,
                                          reinterpret_cast<BYTE*>(name), &nameBytes);
        if (result == ERROR_NO_MORE_ITEMS) break;
        if (result != ERROR_SUCCESS || type != REG_SZ) continue;
        name[std::min<DWORD>(nameBytes / sizeof(wchar_t), kMaxEntryChars)] = L'\0';
        const std::string port = Utf8Of(name);
        if (!port.empty()) ports.push_back({port, Utf8Of(device)});
    }
    RegCloseKey(key);
    return ports;
}

static DeviceCheck Checked(DeviceState state, std::string text) {
    DeviceCheck check;
    check.state = state;
    check.text = std::move(text);
    return check;
}

DeviceCheck DescribeComPortError(unsigned long error) {
    const std::string system = SystemMessage(error);
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return Checked(DeviceState::Missing, "No such device (" + system + ")");
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            // A port is opened for one program at a time.
            return Checked(DeviceState::Busy, "In use by another program (" + system + ")");
        default:
            return Checked(DeviceState::Failed, system);
    }
}

DeviceCheck CheckSerialDevice(const std::string& path) {
    const std::wstring wide = WidePath("\\\\.\\" + path);
    if (wide.empty()) return Checked(DeviceState::Failed, "not a port name");
    HANDLE port = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
    if (port == INVALID_HANDLE_VALUE) return DescribeComPortError(GetLastError());
    // A name that opens is a port only when its driver keeps line settings.
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    DeviceCheck check = Checked(DeviceState::Ready, {});
    if (!GetCommState(port, &dcb))
        check = Checked(DeviceState::NotSerial,
                        "Not a serial device (" + SystemMessage(GetLastError()) + ")");
    CloseHandle(port);
    return check;
}

std::string ComPortOpenProblem(const std::string& name) {
    const DeviceCheck check = CheckSerialDevice(name);
    return check.state == DeviceState::Ready ? std::string() : check.text;
}

std::vector<SerialPortEntry> MergeComPorts(const std::vector<ListedComPort>& listed,
                                           const ComPortProbe& probe) {
    std::vector<ListedComPort> all;
    for (int n = 1; n <= 9; ++n) all.push_back({"COM" + std::to_string(n), {}});
    for (const ListedComPort& port : listed) {
        auto same = std::find_if(all.begin(), all.end(), [&](const ListedComPort& known) {
            return Upper(known.name) == Upper(port.name);
        });
        if (same == all.end())
            all.push_back(port);
        else if (same->device.empty())
            same->device = port.device;
    }
    std::stable_sort(all.begin(), all.end(), [](const ListedComPort& a, const ListedComPort& b) {
        const unsigned long na = PortNumber(a.name), nb = PortNumber(b.name);
        if ((na == 0) != (nb == 0)) return na != 0;
        return na != 0 ? na < nb : Upper(a.name) < Upper(b.name);
    });
    std::vector<SerialPortEntry> ports;
    for (const ListedComPort& port : all) {
        std::string label = port.name;
        if (!port.device.empty()) label += " (" + port.device + ")";
        ports.push_back({port.name, label, probe(port.name)});
    }
    return ports;
}

std::vector<SerialPortEntry> ListSerialPorts() {
    return MergeComPorts(RegistryComPorts(), ComPortOpenProblem);
}
