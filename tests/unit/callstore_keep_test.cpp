// The call history is the user's: on real files, a store is moved aside only
// when it is damaged, any other trouble leaves every byte where it was, and
// the files are the owner's alone whatever the umask.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#include "history/CallHistoryNotice.h"
#include "history/CallRecorder.h"
#include "history/CallStore.h"
#include "support/CallSamples.h"
#include "support/ScratchDir.h"

namespace fs = std::filesystem;

namespace {

constexpr std::time_t kNow = kMarch2024 + 10 * 86400;  // 2024-03-11

std::string Bytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), {});
}

int Mode(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void WriteRandomBytes(const std::string& path) {
    std::mt19937 random(17);
    std::string bytes(8192, '\0');
    for (char& c : bytes) c = static_cast<char>(random());
    std::ofstream(path, std::ios::binary) << bytes;
}

class CallStoreKeepTest : public ::testing::Test {
protected:
    void SetUp() override {
        UseJapanTime();
        CallHistoryNotice::Set("");
    }
    void TearDown() override { CallHistoryNotice::Set(""); }

    // A sound store of three calls, closed.
    void MakeStore() {
        auto store = CallStore::Open(path, kNow).store;
        ASSERT_TRUE(store);
        FillCalls(*store, 3, kMarch2024);
    }

    ScratchDir scratch;
    const std::string folder = scratch.PathOf("telvoxa");
    const std::string path = folder + "/calls.sqlite";
};

TEST_F(CallStoreKeepTest, OnlyADamagedStoreIsMovedAndTroubleLeavesTheFileAsItWas) {
    SqliteDatabase holder;  // another program's connection
    const struct {
        const char* what;
        std::function<void()> arrange;
        CallStoreTrouble trouble;
        std::function<void()> release;
    } cases[] = {
        {"held by another program",
         [&] {
             MakeStore();
             ASSERT_TRUE(holder.Open(path, false));
             ASSERT_TRUE(
                 holder.Execute("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; "
                                "DELETE FROM calls;"));
         },
         CallStoreTrouble::Locked,
         [&] {
             ASSERT_TRUE(holder.Execute("ROLLBACK"));
             holder.Close();
         }},
        {"written by a newer program",
         [&] {
             MakeStore();
             SqliteDatabase db;
             ASSERT_TRUE(db.Open(path, false) && db.Execute("PRAGMA user_version = 7"));
         },
         CallStoreTrouble::Newer, [] {}},
        {"a link in place of the file",
         [&] {
             fs::create_directories(folder);
             WriteRandomBytes(scratch.PathOf("elsewhere"));
             fs::create_symlink(scratch.PathOf("elsewhere"), path);
         },
         CallStoreTrouble::Unusable, [] {}},
        {"random bytes", [&] { fs::create_directories(folder), WriteRandomBytes(path); },
         CallStoreTrouble::MovedAside, [] {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        c.arrange();
        const std::vector<std::string> namesBefore = Names(folder);
        const std::string bytesBefore = Bytes(path);

        CallStoreOpening opening = CallStore::Open(path, kNow);
        EXPECT_EQ(opening.trouble, c.trouble) << opening.reason;
        EXPECT_FALSE(CallStoreTroubleText(opening, path, !opening.store).empty());
        if (c.trouble == CallStoreTrouble::MovedAside) {
            ASSERT_TRUE(opening.store);
            EXPECT_EQ(opening.aside, path + ".damaged-20240311");
            EXPECT_EQ(Bytes(opening.aside), bytesBefore);
            EXPECT_EQ(Mode(opening.aside), 0600);
            EXPECT_TRUE(opening.store->Insert(MakeCall(kNow, CallOutcome::Dialled)));
        } else {
            EXPECT_FALSE(opening.store);
            EXPECT_EQ(Names(folder), namesBefore) << "nothing moved, nothing left behind";
            EXPECT_EQ(Bytes(path), bytesBefore);
        }
        c.release();
    }
    // Once the other program has let go, the next start records again and
    // has lost nothing.
    fs::remove_all(folder);
    MakeStore();
    ASSERT_TRUE(holder.Open(path, false));
    ASSERT_TRUE(holder.Execute("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE;"));
    EXPECT_EQ(CallStore::Open(path, kNow).trouble, CallStoreTrouble::Locked);
    holder.Close();
    auto store = CallStore::Open(path, kNow).store;
    ASSERT_TRUE(store);
    EXPECT_TRUE(store->Insert(MakeCall(kNow, CallOutcome::Dialled)));
    EXPECT_EQ(store->Rows(false).size(), 4u);
}

TEST_F(CallStoreKeepTest, OnlyTheOwnerCanReadTheHistoryWhateverTheUmask) {
    const mode_t previous = ::umask(022);
    for (const mode_t umask : {022, 000})
        for (const bool existedLoose : {false, true}) {
            SCOPED_TRACE(existedLoose ? "made by an earlier version" : "new");
            SCOPED_TRACE(umask);
            ::umask(umask);
            fs::remove_all(scratch.PathOf("share"));
            // The folders on the way that it makes are private too.
            const std::string nested = scratch.PathOf("share/telvoxa/calls.sqlite");
            ASSERT_TRUE(CallStore::Open(nested, kNow).store);
            EXPECT_EQ(Mode(scratch.PathOf("share")), 0700);
            EXPECT_EQ(Mode(nested), 0600);
            fs::remove_all(folder);
            if (existedLoose) {
                MakeStore();
                for (const char* name : {"", "-wal", "-shm"}) {
                    std::ofstream(path + name, std::ios::app).flush();
                    fs::permissions(path + name, fs::perms(0644));
                }
                fs::permissions(folder, fs::perms(0755));
            }
            auto store = CallStore::Open(path, kNow).store;
            ASSERT_TRUE(store);
            ASSERT_TRUE(store->Insert(MakeCall(kNow, CallOutcome::Dialled)));
            EXPECT_EQ(Mode(folder), 0700);
            for (const char* name : {"", "-wal", "-shm"})
                EXPECT_EQ(Mode(path + name), 0600) << name;
        }
    ::umask(previous);
}

TEST_F(CallStoreKeepTest, WhatItsOwnerMadeReadOnlyIsReadNotWrittenAndSaid) {
    const struct {
        const char* what;
        std::string made;  // what the owner narrowed
        fs::perms mode;
    } cases[] = {{"a read-only folder", folder, fs::perms(0500)},
                 {"a read-only file", path, fs::perms(0400)}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        MakeStore();
        fs::permissions(c.made, c.mode);
        const std::vector<std::string> namesBefore = Names(folder);
        const std::string bytesBefore = Bytes(path);
        {
            std::ostringstream diagnostics;
            CallRecorder recorder(path, diagnostics, kNow);
            EXPECT_FALSE(recorder.HasStore());
            EXPECT_NE(CallHistoryNotice::Text().find("is read-only"), std::string::npos)
                << CallHistoryNotice::Text();
            CallEvent ringing;
            ringing.when = kNow;
            recorder.OnCallEvent(ringing);
            EXPECT_NE(
                CallHistoryNotice::Text().find("Calls not yet written to the call history: 1 "),
                std::string::npos)
                << CallHistoryNotice::Text();
            // The history dialog still lists the calls.
            const CallStoreOpening look = CallStore::OpenToRead(path);
            ASSERT_TRUE(look.store);
            EXPECT_EQ(look.store->Rows(false).size(), 3u);
        }
        EXPECT_EQ(Mode(c.made), int(c.mode));
        EXPECT_EQ(Names(folder), namesBefore) << "no journal left behind";
        EXPECT_EQ(Bytes(path), bytesBefore);
        fs::permissions(c.made, fs::perms(c.made == folder ? 0700 : 0600));
    }
}

// A small file system of its own, filled to the last block.
class FullDiskTest : public CallStoreKeepTest {
protected:
    void SetUp() override {
        CallStoreKeepTest::SetUp();
        fs::create_directories(folder);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m,mode=0700") != 0)
            GTEST_SKIP() << "no tmpfs can be mounted here (needs root)";
        mounted = true;
    }
    void TearDown() override {
        if (mounted) ::umount2(folder.c_str(), MNT_DETACH);
        CallStoreKeepTest::TearDown();
    }
    void Fill() {
        std::ofstream filler(folder + "/filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), block.size())) filler.flush();
    }
    bool mounted = false;
};

TEST_F(FullDiskTest, NothingIsMovedNoEmptyFileIsLeftAndAFailedWriteIsTold) {
    // No history yet: none can be begun, and no empty file takes its place.
    Fill();
    CallStoreOpening opening = CallStore::Open(path, kNow);
    EXPECT_EQ(opening.trouble, CallStoreTrouble::DiskFull) << opening.reason;
    EXPECT_EQ(Names(folder), std::vector<std::string>{"filler"});

    // A damaged one stays where it is while there is no room for a new one.
    fs::remove(folder + "/filler");
    WriteRandomBytes(path);
    Fill();
    opening = CallStore::Open(path, kNow);
    EXPECT_EQ(opening.trouble, CallStoreTrouble::DiskFull) << opening.reason;
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"calls.sqlite", "filler"}));

    // A sound one fills up while recording: the window is told.
    fs::remove(folder + "/filler");
    fs::remove(path);
    MakeStore();
    const std::string bytesBefore = Bytes(path);
    std::ostringstream diagnostics;
    CallRecorder recorder(path, diagnostics, kNow);
    ASSERT_TRUE(recorder.HasStore());
    Fill();
    CallEvent ringing;
    ringing.when = kNow;
    ringing.number = "0312345678";
    recorder.OnCallEvent(ringing);
    EXPECT_NE(CallHistoryNotice::Text().find("the disk is full"), std::string::npos)
        << CallHistoryNotice::Text();
    EXPECT_EQ(Bytes(path), bytesBefore);
}

TEST_F(FullDiskTest, TheStoredCallsAreListedAndCallsWaitUntilThereIsRoom) {
    const auto call = [](std::time_t when) {
        CallEvent event;
        event.when = when;
        event.number = "0312345678";
        return event;
    };
    CallEvent ended;
    ended.kind = CallEventKind::Ended;

    // Full at the start: the dialog lists the three calls, nothing is left
    // beside them, and the calls of the run wait, said with their times.
    MakeStore();
    Fill();
    std::ostringstream diagnostics;
    CallRecorder recorder(path, diagnostics, kNow);
    EXPECT_FALSE(recorder.HasStore());
    ASSERT_TRUE(CallStore::OpenToRead(path).store);
    EXPECT_EQ(CallStore::OpenToRead(path).store->Rows(false).size(), 3u);
    EXPECT_EQ(Names(folder), (std::vector<std::string>{"calls.sqlite", "filler"}));
    for (const std::time_t when : {kNow + 3600, kNow + 7200}) {
        recorder.OnCallEvent(call(when));
        ended.when = when + 10;
        recorder.OnCallEvent(ended);
    }
    EXPECT_NE(CallHistoryNotice::Text().find("Calls not yet written to the call history: 2 (03/11 "
                                             "01:00 to 03/11 02:00, the call history cannot be "
                                             "used)"),
              std::string::npos)
        << CallHistoryNotice::Text();

    // Room again: the next call brings the store back, with those that waited.
    fs::remove(folder + "/filler");
    recorder.OnCallEvent(call(kNow + 9000));
    EXPECT_TRUE(recorder.HasStore());
    EXPECT_EQ(CallStore::OpenExisting(path)->Rows(false).size(), 6u);
    EXPECT_EQ(CallHistoryNotice::Text(), "");
}

}  // namespace
