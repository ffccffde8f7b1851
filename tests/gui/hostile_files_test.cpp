// What another user may plant in each place the program reads or writes a
// file: a FIFO, a link to someone else's file, a folder, a device. Each is
// met at once, never waited on, with the file's own reason; what a link
// leads to is never written, and what was planted stays as it was.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QStandardPaths>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/SkinFile.h"
#include "app/ui/Profile.h"
#include "handset/BmpReader.h"
#include "link/PhoneLink.h"
#include "phonebook/PhoneBook.h"
#include "platform/posix/DeviceLockFile.h"
#include "support/FakeCommDevice.h"
#include "support/ScratchDir.h"
#include "support/TestBitmaps.h"
#include "support/gui/ScriptedDialogs.h"

namespace {

namespace fs = std::filesystem;

enum class Kind { Fifo, LinkToAnothers, Folder, Device };

const char* KindName(Kind kind) {
    switch (kind) {
        case Kind::Fifo:
            return "FIFO";
        case Kind::LinkToAnothers:
            return "link to another user's file";
        case Kind::Folder:
            return "folder";
        case Kind::Device:
            return "device";
    }
    return "?";
}

constexpr char kVictimBytes[] = "another user's file, not to be changed\n";
constexpr uid_t kAnotherUser = 65534;
const std::string kDevice = "/dev/ttyHostile0";

// Another user's file: made by the test, given away where the test may.
std::string AnothersFile(const ScratchDir& scratch) {
    const std::string victim = scratch.Write("victim", kVictimBytes);
    if (::geteuid() == 0) ::chown(victim.c_str(), kAnotherUser, kAnotherUser);
    return victim;
}

void Plant(Kind kind, const std::string& path, const std::string& victim) {
    fs::remove_all(path);
    switch (kind) {
        case Kind::Fifo:
            ASSERT_EQ(::mkfifo(path.c_str(), 0666), 0);
            break;
        case Kind::LinkToAnothers:
            ASSERT_EQ(::symlink(victim.c_str(), path.c_str()), 0);
            break;
        case Kind::Folder:
            ASSERT_EQ(::mkdir(path.c_str(), 0777), 0);
            break;
        case Kind::Device:
            ASSERT_EQ(::symlink("/dev/zero", path.c_str()), 0);
            break;
    }
}

fs::file_type TypeOf(const std::string& path) {
    return fs::symlink_status(path).type();
}

std::string ProfilePath() {
    return QFile::encodeName(
               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
               "/Orvel Applications/" + UiSeams::ApplicationName() + ".conf")
        .toStdString();
}

// What the user is told when the role meets the file at `path`; empty when
// the file is taken as it is.
struct Role {
    const char* name;
    std::function<std::string(const ScratchDir&)> place;
    std::function<std::string(const std::string& path)> meet;
};

std::string MeetProfile(const std::string&) {
    ScriptedDialogs dialogs;
    Profile::SetRegistryKey(QStringLiteral("Orvel Applications"));
    // A setting changed meanwhile is kept for the run, not written there.
    Profile::WriteProfileInt(QStringLiteral("Set"), QStringLiteral("Port"), 3);
    Profile::Sync();
    if (Profile::GetProfileInt(QStringLiteral("Set"), QStringLiteral("Port"), 0) != 3) {
        return "the run's settings were lost";
    }
    return dialogs.messages.empty() ? std::string() : dialogs.messages.front().text.toStdString();
}

std::string MeetCommLog(const std::string& path) {
    testing::internal::CaptureStderr();
    CPhoneLink link(std::make_unique<FakeCommDevice>());
    const bool opened = link.LogOpen(path);
    const std::string said = testing::internal::GetCapturedStderr();
    return opened ? std::string() : said;
}

std::string MeetLockFile(const std::string& path) {
    DeviceLockFile lock(fs::path(path).parent_path().string());
    LockFileHolding holder;
    return lock.Take(kDevice, holder) ? std::string() : holder.why;
}

TEST(HostileFiles, EachPlantedFileIsMetAtOnceWithItsReasonAndNothingIsWrittenThrough) {
    ScratchDir scratch;
    const std::string victim = AnothersFile(scratch);
    const bool anothers = ::geteuid() == 0;
    const auto inScratch = [](std::string name) {
        return [name](const ScratchDir& s) { return s.PathOf(name); };
    };
    const Role roles[] = {
        {"skin file", inScratch("skin.ini"),
         [](const std::string& path) {
             SkinFile skin;
             return skin.Open(path) ? std::string() : skin.OpenFailure();
         }},
        {"skin bitmap", inScratch("skin.bmp"),
         [](const std::string& path) { return ReadSkinBmp(path).openFailure; }},
        {"picture bitmap", inScratch("picture.bmp"),
         [](const std::string& path) { return ReadPictureBmp(path).openFailure; }},
        {"profile",
         [](const ScratchDir&) {
             fs::create_directories(fs::path(ProfilePath()).parent_path());
             return ProfilePath();
         },
         MeetProfile},
        {"phone book", inScratch("book.vcf"),
         [](const std::string& path) {
             PhoneBook book;
             const PhoneBookLoadOutcome outcome = LoadPhoneBookFile(path, book);
             return outcome.result == PhoneBookLoad::OpenError ? outcome.description
                                                               : std::string();
         }},
        {"communication log", inScratch("comm.log"), MeetCommLog},
        {"lock file", inScratch("LCK.." + kDevice.substr(5)), MeetLockFile},
    };
    // Per role, what is said for a FIFO, a link, a folder and a device; a
    // file read through a link is read as the file itself.
    const char* notRegular = "not a regular file";
    const struct {
        const char* role;
        const char* said[4];
    } expected[] = {
        {"skin file", {notRegular, "", notRegular, notRegular}},
        {"skin bitmap", {notRegular, "", notRegular, notRegular}},
        {"picture bitmap", {notRegular, "", notRegular, notRegular}},
        {"profile", {notRegular, "the file belongs to another user", notRegular, notRegular}},
        {"phone book", {notRegular, "", notRegular, notRegular}},
        {"communication log",
         {notRegular, "a link, not followed", "Is a directory", "a link, not followed"}},
        {"lock file", {"is not a regular file", "is a link", "is not a regular file", "is a link"}},
    };
    for (size_t r = 0; r < std::size(roles); ++r) {
        const Role& role = roles[r];
        ASSERT_STREQ(role.name, expected[r].role);
        for (const Kind kind : {Kind::Fifo, Kind::LinkToAnothers, Kind::Folder, Kind::Device}) {
            SCOPED_TRACE(std::string(role.name) + " as a " + KindName(kind));
            if (kind == Kind::LinkToAnothers && !anothers) continue;  // needs another's file
            const std::string path = role.place(scratch);
            Plant(kind, path, victim);
            const fs::file_type planted = TypeOf(path);
            const std::string said = role.meet(path);
            const std::string want = expected[r].said[static_cast<int>(kind)];
            if (want.empty()) {
                EXPECT_EQ(said, "");
            } else {
                EXPECT_NE(said.find(want), std::string::npos) << said;
                // The message names the file, unless it is the role's own
                // reason alone (the reader hands the reason to its message).
                if (said != want) {
                    EXPECT_NE(said.find(fs::path(path).filename().string()), std::string::npos)
                        << said;
                }
            }
            EXPECT_EQ(TypeOf(path), planted) << "what was planted stays";
            EXPECT_EQ(scratch.Read("victim"), kVictimBytes);
            fs::remove_all(path);
        }
    }
}

}  // namespace
