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
#include <sstream>
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

std::string ReadAll(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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

}  // namespace
