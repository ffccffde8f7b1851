#include "platform/posix/SerialDevices.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "platform/posix/SerialPortProbe.h"

namespace fs = std::filesystem;

namespace {

// "ttyUSB10" after "ttyUSB9": the name without its number, then the number.
bool NaturalLess(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1]))) --digits;
        const std::string number = s.substr(digits);
        return std::make_tuple(s.substr(0, digits), number.size(), number);
    };
    return split(a) < split(b);
}

std::vector<std::string> SortedNames(const fs::path& dir, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool numbered = name.size() > prefix.size() &&
                              std::isdigit(static_cast<unsigned char>(name[prefix.size()]));
        if (name.rfind(prefix, 0) == 0 && (prefix.empty() || numbered)) names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    return names;
}

void AddByIdLinks(const fs::path& devDir, std::vector<SerialDeviceEntry>& entries) {
    const fs::path byId = devDir / "serial" / "by-id";
    for (const std::string& name : SortedNames(byId, "")) {
        const fs::path link = byId / name;
        std::error_code ec;
        // A link left behind by an adapter that is gone names nothing.
        const fs::path device = fs::canonical(link, ec);
        if (ec) continue;
        entries.push_back({link.string(), link.string() + " (" + device.filename().string() + ")"});
    }
}

}  // namespace

std::string SerialDeviceFolder() {
    const char* dir = std::getenv("TELVOXA_DEV_DIR");
    return dir != nullptr && *dir != '\0' ? dir : "/dev";
}

std::vector<SerialDeviceEntry> ListSerialDevices(const std::string& devDir,
                                                 const SerialPortPresence& present) {
    const fs::path dir(devDir);
    std::vector<SerialDeviceEntry> entries;
    AddByIdLinks(dir, entries);
    for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
        const bool legacy = std::string(prefix) == "ttyS";
        for (const std::string& name : SortedNames(dir, prefix)) {
            const std::string path = (dir / name).string();
            if (legacy && !(present ? present(path) : AnswersAsSerialPort(path))) continue;
            entries.push_back({path, path});
        }
    }
    return entries;
}
