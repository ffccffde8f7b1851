#pragma once
// The start of the program that any front end runs before its window: the
// single-instance test, the skin settings file to use and what the phone
// book's reading has to tell. Paths are native (UTF-8 on Linux); what is for
// the user comes back as messages for the front end to show, in order.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/SkinFile.h"
#include "app/UserMessage.h"
#include "phonebook/PhoneBook.h"
#include "platform/CommDevice.h"
#include "platform/InstanceLock.h"

inline constexpr const char* INSTANCE_MUTEX_NAME = "h_Telvoxa_PrevInstance";
inline constexpr const char* PROFILE_ROOT = "Orvel Applications";
inline constexpr const char* ALREADY_RUNNING_TEXT = "Already Running !!";

// Dialog end codes, as the platform's standard buttons number them.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

// Makes the handset window's serial device; tests hand in a fake one.
using CommDeviceFactory = std::function<std::unique_ptr<CommDevice>()>;

// Takes the single-instance lock. Without any place for a lock the program
// still starts, as it cannot tell: the reason goes to `diagnostics`.
InstanceLock::Outcome AcquireInstance(InstanceLock& lock, std::ostream& diagnostics);

// `relative` inside the program's data folder; empty when there is none.
using DataFolderLookup = std::function<std::string(const std::string& relative)>;

// Opens `path` as the skin settings file: as written (relative to the
// current folder), else, for a relative path, in the data folder. The path
// that opened, or nothing (file.Problem() then says why, for the path as
// written unless the data folder holds the file).
std::optional<std::string> OpenSkinPath(SkinFile& file, const std::string& path,
                                        const DataFolderLookup& inDataFolder);

struct StartSkin {
    // The skin settings file is open: the window can be made.
    bool opened = false;
    // What goes back into the profile at the end of a normal run.
    std::string profilePath;
    // The path that opened.
    std::string inUse;
    std::vector<UserMessage> messages;
};
// The skin of the profile, `stored`; a stored skin that no longer opens is
// replaced by `defaultPath`, and that replacement is what goes back into the
// profile. One that is there but refused says why.
StartSkin OpenStartSkin(SkinFile& file, const std::string& stored, const std::string& defaultPath,
                        const DataFolderLookup& inDataFolder);

// What a reading of the phone book has to tell the user; nothing when the
// whole file was read.
std::vector<UserMessage> PhoneBookOutcomeMessages(const PhoneBookLoadOutcome& outcome);
