// What another user may plant in each place the program reads or writes a
// file: a FIFO, a link to someone else's file, a folder, a device. Each is
// met at once, never waited on, with the file's own reason; what a link
// leads to is never written, and what was planted stays as it was.

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QFile>
#include <filesystem>
#include <functional>
#include <memory>

#include "app/SkinFile.h"
#include "common/ui/Profile.h"
#include "handset/BmpReader.h"
#include "link/PhoneLink.h"
#include "phonebook/PhoneBook.h"
#include "platform/posix/DeviceLockFile.h"
#include "support/FakeCommDevice.h"
#include "support/ScratchDir.h"
#include "support/gui/ScriptedDialogs.h"

namespace {

namespace fs = std::filesystem;

enum Kind { kFifo, kLinkToAnothers, kFolder, kDevice };
const char* const kKindNames[] = {"FIFO", "link to another user's file", "folder", "device"};
constexpr char kVictimBytes[] = "another user's file, not to be changed\n";
const std::string kPortPath = "/dev/ttyHostile0";

void Plant(Kind kind, const std::string& path, const std::string& victim) {
    fs::remove_all(path);
    const int made = kind == kFifo ? ::mkfifo(path.c_str(), 0666)
                     : kind == kFolder
                         ? ::mkdir(path.c_str(), 0777)
                         : ::symlink(kind == kDevice ? "/dev/zero" : victim.c_str(), path.c_str());
    ASSERT_EQ(made, 0) << path;
}

std::string ProfilePath() {
    return QFile::encodeName(Profile::UserFile(QStringLiteral("Orvel Applications"))).toStdString();
}

// The profile's message; the run keeps its own settings meanwhile.
std::string MeetProfile(const std::string&) {
    ScriptedDialogs dialogs;
    Profile::SetRegistryKey(QStringLiteral("Orvel Applications"));
    Profile::WriteProfileInt(QStringLiteral("Set"), QStringLiteral("Port"), 3);
    Profile::Sync();
    if (Profile::GetProfileInt(QStringLiteral("Set"), QStringLiteral("Port"), 0) != 3) {
        return "the run's settings were lost";
    }
    return dialogs.messages.empty() ? std::string() : dialogs.messages.front().text.toStdString();
}

std::string MeetCommLog(const std::string& path) {
    testing::internal::CaptureStderr();
    const bool opened = CPhoneLink(std::make_unique<FakeCommDevice>()).LogOpen(path);
    const std::string said = testing::internal::GetCapturedStderr();
    return opened ? std::string() : said;
}

std::string MeetLockFile(const std::string& path) {
    DeviceLockFile lock(fs::path(path).parent_path().string());
    LockFileHolding holder;
    return lock.Take(kPortPath, holder) ? std::string() : holder.why;
}

TEST(HostileFiles, EachPlantedFileIsMetAtOnceWithItsReasonAndNothingIsWrittenThrough) {
    ScratchDir scratch;
    const std::string victim = scratch.Write("victim", kVictimBytes);
    // Only root can give a file away; elsewhere the link rows are left out.
    const bool anothers = ::geteuid() == 0 && ::chown(victim.c_str(), 65534, 65534) == 0;
    const char* notRegular = "not a regular file";
    // What the role says for a FIFO, a link, a folder and a device ("": the
    // file is taken; a file read through a link is read as the file itself).
    const struct {
        const char* role;
        std::string path;
        std::function<std::string(const std::string&)> meet;
        const char* said[4];
    } roles[] = {
        {"skin file",
         scratch.PathOf("skin.ini"),
         [](const std::string& path) {
             SkinFile skin;
             return skin.Open(path) ? std::string() : skin.Problem();
         },
         {notRegular, "", notRegular, notRegular}},
        {"skin bitmap",
         scratch.PathOf("skin.bmp"),
         [](const std::string& path) { return ReadSkinBmp(path).openFailure; },
         {notRegular, "", notRegular, notRegular}},
        {"picture bitmap",
         scratch.PathOf("picture.bmp"),
         [](const std::string& path) { return ReadPictureBmp(path).openFailure; },
         {notRegular, "", notRegular, notRegular}},
        {"profile",
         ProfilePath(),
         MeetProfile,
         {notRegular, "the file belongs to another user", notRegular, notRegular}},
        {"phone book",
         scratch.PathOf("book.vcf"),
         [](const std::string& path) {
             PhoneBook book;
             const PhoneBookLoadOutcome outcome = LoadPhoneBookFile(path, book);
             return outcome.result == PhoneBookLoad::OpenError ? outcome.description : "";
         },
         {notRegular, "", notRegular, notRegular}},
        {"communication log",
         scratch.PathOf("comm.log"),
         MeetCommLog,
         {notRegular, "a link, not followed", "Is a directory", "a link, not followed"}},
        {"lock file",
         scratch.PathOf("LCK.." + kPortPath.substr(5)),
         MeetLockFile,
         {"is not a regular file", "is a link", "is not a regular file", "is a link"}},
    };
    fs::create_directories(fs::path(ProfilePath()).parent_path());
    for (const auto& role : roles) {
        for (const Kind kind : {kFifo, kLinkToAnothers, kFolder, kDevice}) {
            SCOPED_TRACE(std::string(role.role) + " as a " + kKindNames[kind]);
            if (kind == kLinkToAnothers && !anothers) continue;
            Plant(kind, role.path, victim);
            const fs::file_type planted = fs::symlink_status(role.path).type();
            const std::string said = role.meet(role.path);
            const std::string want = role.said[kind];
            if (want.empty()) {
                EXPECT_EQ(said, "");
            } else {
                EXPECT_NE(said.find(want), std::string::npos) << said;
            }
            // A message names the file; a bare reason goes into the reader's.
            if (said != want) {
                EXPECT_NE(said.find(fs::path(role.path).filename().string()), std::string::npos)
                    << said;
            }
            EXPECT_EQ(fs::symlink_status(role.path).type(), planted) << "what was planted stays";
            EXPECT_EQ(scratch.Read("victim"), kVictimBytes);
            fs::remove_all(role.path);
        }
    }
}

}  // namespace
