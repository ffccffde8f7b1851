// The classic lock files of serial ports on a made-up lock folder, with a
// pseudo-terminal as the port: whose file refuses the open, which one is
// replaced, and that the program's own goes when it closes the port.

#include "platform/posix/DeviceLockFile.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/posix/PosixCommDevice.h"
#include "platform/posix/SerialDeviceCheck.h"
#include "support/PhonePty.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;

std::string PidText(pid_t pid) {
    char text[16];
    std::snprintf(text, sizeof text, "%10ld\n", static_cast<long>(pid));
    return text;
}

// A process id that no process has any more.
pid_t DeadPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

// A process that has ended but that its parent has not collected yet (as a
// program killed a moment ago); collected when the test ends.
pid_t EndedPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    siginfo_t info{};
    waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT);
    return child;
}

class DeviceLockFileTest : public ::testing::Test {
protected:
    PhonePty pty;
    ScratchDir locks;
    std::string LockPath() const { return locks.PathOf(LockFileName(pty.SlavePath())); }
};

TEST(DeviceLockFileName, NamesTheDeviceAsOtherProgramsDo) {
    EXPECT_EQ(LockFileName("/dev/ttyUSB0"), "LCK..ttyUSB0");
    EXPECT_EQ(LockFileName("/dev/pts/3"), "LCK..pts_3");
    EXPECT_EQ(LockFileName("/tmp/x/ttyS1"), "LCK..ttyS1");
}

TEST_F(DeviceLockFileTest, AFileOfALiveProcessRefusesTheOpenOthersAreReplacedAndOursGoesAtClose) {
    ASSERT_TRUE(pty.IsOpen());
    const pid_t live = getppid();
    const struct {
        const char* what;
        std::string before;  // the file's text before the open; none when empty
        bool opens;
        bool removedAtClose;
    } cases[] = {
        {"no file", "", true, true},
        {"a live process's", PidText(live), false, false},
        {"a live process's in binary", std::string(reinterpret_cast<const char*>(&live), 4), false,
         false},
        // Digits alone are text whatever their number ("1660" is no binary id).
        {"a live process's as digits alone", std::to_string(live), false, false},
        {"a dead process's", PidText(DeadPid()), true, true},
        {"an ended, uncollected process's", PidText(EndedPid()), true, true},
        {"garbage", "not a number\n", true, true},
        // Another opener in this process wrote it, and removes it.
        {"this process's own", PidText(getpid()), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(LockPath());
        if (!c.before.empty()) locks.Write(LockFileName(pty.SlavePath()), c.before);
        PosixCommDevice device({}, locks.Path());
        const DeviceCheck check = CheckSerialDevice(pty.SlavePath(), locks.Path());
        ASSERT_EQ(device.Open(pty.SlavePath()), c.opens);
        if (!c.opens) {
            const std::string busy =
                "In use by another program (process " + std::to_string(live) + ")";
            EXPECT_EQ(check.text, busy);
            EXPECT_EQ(device.OpenFailureText(), pty.SlavePath() + ": " + busy);
            EXPECT_EQ(ReadAll(LockPath()), c.before);
            continue;
        }
        EXPECT_EQ(check.state, DeviceState::Ready);
        EXPECT_EQ(ReadAll(LockPath()), PidText(getpid()));
        // Another program of the same kind finds it taken by this one.
        const DeviceCheck seen = CheckSerialDevice(pty.SlavePath(), locks.Path());
        EXPECT_EQ(seen.state, DeviceState::Ready) << seen.text;
        EXPECT_TRUE(device.Close());
        EXPECT_EQ(fs::exists(LockPath()), !c.removedAtClose);
        EXPECT_EQ(fs::is_empty(locks.Path()), c.removedAtClose) << "no temporary file is left";
    }
}

TEST_F(DeviceLockFileTest, AFolderWithoutRoomForTheFileStillLetsThePortOpen) {
    ASSERT_TRUE(pty.IsOpen());
    PosixCommDevice device({}, locks.PathOf("missing"));
    EXPECT_TRUE(device.Open(pty.SlavePath())) << device.OpenFailureText();
    EXPECT_TRUE(device.Close());
}

TEST_F(DeviceLockFileTest, ALockFileWrittenElsewhereIsOnlyRemovedByItsOwner) {
    ASSERT_TRUE(pty.IsOpen());
    PosixCommDevice device({}, locks.Path());
    ASSERT_TRUE(device.Open(pty.SlavePath()));
    // Someone replaced the file while the port was open: it is theirs now.
    locks.Write(LockFileName(pty.SlavePath()), PidText(getppid()));
    EXPECT_TRUE(device.Close());
    EXPECT_EQ(ReadAll(LockPath()), PidText(getppid()));
}

TEST_F(DeviceLockFileTest, LinksPlantedAtTheTemporaryNamesAreNeverWrittenThrough) {
    ASSERT_TRUE(pty.IsOpen());
    ScratchDir elsewhere;
    const std::string victim = elsewhere.Write("calls.sqlite", "the user's call history");
    // Whoever can write the folder can guess the next process ids.
    for (pid_t pid = getpid(); pid < getpid() + 8; ++pid) {
        ASSERT_EQ(symlink(victim.c_str(), locks.PathOf("LTMP." + std::to_string(pid)).c_str()), 0);
    }
    PosixCommDevice device({}, locks.Path());
    ASSERT_TRUE(device.Open(pty.SlavePath())) << device.OpenFailureText();
    EXPECT_EQ(fs::symlink_status(LockPath()).type(), fs::file_type::regular);
    EXPECT_EQ(ReadAll(LockPath()), PidText(getpid()));
    EXPECT_TRUE(device.Close());
    EXPECT_EQ(elsewhere.Read("calls.sqlite"), "the user's call history");
}

// Two programs that find the same stale lock file at once: at most one of
// them may end up holding the port.
TEST(DeviceLockFileRace, OfTwoProgramsReplacingOneStaleFileNeverBothGetIt) {
    constexpr int kRounds = 2000;
    ScratchDir locks;
    const std::string device = "/dev/ttyRace0";
    const std::string name = LockFileName(device);
    // No process has this id (above any pid_max).
    const std::string stale = PidText(0x7ffffff0);
    int bothGotIt = 0;
    int noneGotIt = 0;
    for (int round = 0; round < kRounds; ++round) {
        locks.Write(name, stale);
        int start[2], answers[2], finish[2];
        ASSERT_EQ(pipe(start), 0);
        ASSERT_EQ(pipe(answers), 0);
        ASSERT_EQ(pipe(finish), 0);
        pid_t children[2];
        for (pid_t& child : children) {
            child = fork();
            if (child == 0) {
                ::close(start[1]);
                ::close(answers[0]);
                ::close(finish[1]);
                char go = 0;
                if (::read(start[0], &go, 1) != 1) _exit(1);
                DeviceLockFile lock(locks.Path());
                LockFileHolding holder;
                const char got = lock.Take(device, holder) ? 1 : 0;
                if (::write(answers[1], &got, 1) != 1) _exit(1);
                // Held until both have answered.
                if (::read(finish[0], &go, 1) < 0) _exit(1);
                lock.Release();
                _exit(0);
            }
        }
        ::close(start[0]);
        ::close(answers[1]);
        ::close(finish[0]);
        ASSERT_EQ(::write(start[1], "gg", 2), 2);
        int got = 0;
        for (int i = 0; i < 2; ++i) {
            char answer = 0;
            ASSERT_EQ(::read(answers[0], &answer, 1), 1);
            got += answer;
        }
        ::close(finish[1]);
        for (pid_t child : children) waitpid(child, nullptr, 0);
        ::close(start[1]);
        ::close(answers[0]);
        bothGotIt += got == 2;
        noneGotIt += got == 0;
    }
    EXPECT_EQ(bothGotIt, 0);
    EXPECT_EQ(noneGotIt, 0);
    EXPECT_TRUE(fs::is_empty(locks.Path())) << "no lock or temporary file is left";
}

}  // namespace
