#include "app/HandsetStart.h"

#include <filesystem>
#include <system_error>

namespace {

bool Exists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

}  // namespace

InstanceLock::Outcome AcquireInstance(InstanceLock& lock, std::ostream& diagnostics) {
    const InstanceLock::Outcome outcome = lock.Acquire(INSTANCE_MUTEX_NAME);
    if (outcome == InstanceLock::Outcome::Unavailable) {
        diagnostics << "telvoxa: warning: starting without the single-instance lock ("
                    << lock.Problem() << ")\n";
        diagnostics.flush();
    }
    return outcome;
}

std::optional<std::string> OpenSkinPath(SkinFile& file, const std::string& path,
                                        const DataFolderLookup& inDataFolder) {
    file.Close();
    if (path.empty()) return std::nullopt;
    if (file.Open(path)) return path;
    if (std::filesystem::path(path).is_absolute() || !inDataFolder) return std::nullopt;
    const std::string inData = inDataFolder(path);
    // The reason given is the one for the path as written, unless the data
    // folder holds the file.
    if (!Exists(inData)) return std::nullopt;
    if (!file.Open(inData)) return std::nullopt;
    return inData;
}

StartSkin OpenStartSkin(SkinFile& file, const std::string& stored, const std::string& defaultPath,
                        const DataFolderLookup& inDataFolder) {
    StartSkin start;
    start.profilePath = stored;
    if (auto opened = OpenSkinPath(file, stored, inDataFolder)) {
        start.opened = true;
        start.inUse = *opened;
        return start;
    }
    const std::string refused = Exists(stored) ? file.Problem() : std::string();
    start.profilePath = defaultPath;
    auto opened = OpenSkinPath(file, defaultPath, inDataFolder);
    if (!opened) {
        std::string text = "ini File Open Error !!";
        if (!file.Problem().empty()) text += '\n' + file.Problem();
        start.messages.push_back({text, MessageIcon::None});
        return start;
    }
    start.opened = true;
    start.inUse = *opened;
    if (!refused.empty()) {
        start.messages.push_back(
            {"ini File Open Error !!\n" + refused + "\nStarting with the default skin.",
             MessageIcon::None});
    }
    return start;
}

std::vector<UserMessage> PhoneBookOutcomeMessages(const PhoneBookLoadOutcome& outcome) {
    // The reason goes on a line of its own below the message.
    const auto withReason = [&](const char* message) {
        std::string text = message;
        if (!outcome.description.empty()) text += '\n' + outcome.description;
        return text;
    };
    switch (outcome.result) {
        case PhoneBookLoad::Loaded:
            break;
        case PhoneBookLoad::OpenError:
            return {{withReason("mdd File Open Error !!"), MessageIcon::Stop}};
        case PhoneBookLoad::CountError:
            return {{withReason("Number of Memory Dial Error !!"), MessageIcon::Stop}};
        case PhoneBookLoad::FileError:
            return {{outcome.description, MessageIcon::Stop},
                    {"File Exception !!", MessageIcon::Stop}};
        case PhoneBookLoad::FormatError:
            return {{outcome.description, MessageIcon::Stop}};
    }
    return {};
}
