// Finding serial devices and checking what opening one would meet, on a
// made-up device folder and on real pseudo-terminals.

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/DeviceLockFile.h"
#include "platform/posix/DeviceLockOwner.h"
#include "platform/posix/PosixCommDevice.h"
#include "platform/posix/SerialDeviceCheck.h"
#include "platform/posix/SerialDevices.h"
#include "platform/posix/TtyHotplugMonitor.h"
#include "support/HangGuard.h"
#include "support/PhonePty.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;

// Runs `check` in a child process and hands back the state it found.
template <class Check>
DeviceState InChild(Check check) {
    int answer[2];
    if (pipe(answer) != 0) return DeviceState::Failed;
    const pid_t pid = fork();
    if (pid == 0) {
        ::close(answer[0]);
        const auto state = static_cast<char>(check());
        [[maybe_unused]] ssize_t n = ::write(answer[1], &state, 1);
        _exit(0);
    }
    ::close(answer[1]);
    char state = static_cast<char>(DeviceState::Failed);
    [[maybe_unused]] ssize_t n = ::read(answer[0], &state, 1);
    ::close(answer[0]);
    waitpid(pid, nullptr, 0);
    return static_cast<DeviceState>(state);
}

// Counts the opens of a file from its creation on.
class OpenCounter {
public:
    explicit OpenCounter(const std::string& path) : m_fd(inotify_init1(IN_NONBLOCK)) {
        inotify_add_watch(m_fd, path.c_str(), IN_OPEN);
    }
    ~OpenCounter() { ::close(m_fd); }
    int Opens() const {
        alignas(inotify_event) char buffer[4096];
        int opens = 0;
        for (ssize_t n; (n = ::read(m_fd, buffer, sizeof buffer)) > 0;) {
            opens += static_cast<int>(static_cast<size_t>(n) / sizeof(inotify_event));
        }
        return opens;
    }

private:
    int m_fd;
};

// Made-up accounts under which no device may be opened.
class NoRights : public UserAccounts {
public:
    bool MayReadWrite(const std::string&) const override { return false; }
};

std::vector<std::string> Labels(const std::vector<SerialDeviceEntry>& entries) {
    std::vector<std::string> labels;
    for (const auto& e : entries) labels.push_back(e.label);
    return labels;
}

TEST(SerialDeviceList, ByIdLinksFirstThenAdaptersThenLegacyPortsThatAnswer) {
    ScratchDir dev;
    for (const char* name : {"ttyS0", "ttyS1", "ttyS10", "ttyS2", "ttyUSB1", "ttyUSB0", "ttyUSB10",
                             "ttyACM0", "ttyprintk", "tty0", "ttySX", "console"}) {
        dev.Write(name, "");
    }
    fs::create_directories(dev.PathOf("serial/by-id"));
    fs::create_symlink("../../ttyUSB1", dev.PathOf("serial/by-id/usb-X-if00-port0"));
    // An adapter that is gone leaves no entry.
    fs::create_symlink("../../ttyUSB7", dev.PathOf("serial/by-id/usb-Gone-if00-port0"));

    std::vector<std::string> asked;
    const auto entries = ListSerialDevices(dev.Path(), [&](const std::string& path) {
        asked.push_back(fs::path(path).filename().string());
        return path.ends_with("ttyS1") || path.ends_with("ttyS10");
    });
    const std::string d = dev.Path() + "/";
    EXPECT_EQ(Labels(entries), (std::vector<std::string>{
                                   d + "serial/by-id/usb-X-if00-port0 (ttyUSB1)",
                                   d + "ttyUSB0",
                                   d + "ttyUSB1",
                                   d + "ttyUSB10",
                                   d + "ttyACM0",
                                   d + "ttyS1",
                                   d + "ttyS10",
                               }));
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries[0].path, d + "serial/by-id/usb-X-if00-port0");
    EXPECT_EQ(asked, (std::vector<std::string>{"ttyS0", "ttyS1", "ttyS2", "ttyS10"}));

    EXPECT_TRUE(ListSerialDevices(dev.PathOf("missing")).empty());
}

TEST(SerialDeviceCheck, EachKindOfPathGetsAClearStatusWithoutHanging) {
    HangGuard guard(30);
    PhonePty pty;
    ASSERT_TRUE(pty.IsOpen());
    ScratchDir dir;
    const std::string file = dir.Write("file", "not a device");
    fs::create_symlink("loop-b", dir.PathOf("loop-a"));
    fs::create_symlink("loop-a", dir.PathOf("loop-b"));
    fs::create_symlink(pty.SlavePath(), dir.PathOf("phone"));
    fs::create_symlink(dir.PathOf("nothing"), dir.PathOf("dangling"));
    const struct {
        std::string path;
        DeviceState state;
        const char* text;
    } cases[] = {
        {pty.SlavePath(), DeviceState::Ready, "Ready"},
        {dir.PathOf("phone"), DeviceState::Ready, "Ready"},
        {dir.PathOf("nothing"), DeviceState::Missing, "No such device"},
        {dir.PathOf("dangling"), DeviceState::Missing, "No such device"},
        {"", DeviceState::Missing, "No such device"},
        {dir.Path(), DeviceState::NotSerial, "Not a serial device"},
        {file, DeviceState::NotSerial, "Not a serial device"},
        {"/dev/null", DeviceState::NotSerial, "Not a serial device"},
        {dir.PathOf("loop-a"), DeviceState::Failed, "Too many levels of symbolic links"},
        {std::string(4096, 'x'), DeviceState::Failed, "File name too long"},
        {"/" + std::string(4096, 'y'), DeviceState::Failed, "File name too long"},
    };
    for (const auto& c : cases) {
        const DeviceCheck check = CheckSerialDevice(c.path);
        EXPECT_EQ(check.state, c.state) << c.path.substr(0, 80);
        EXPECT_EQ(check.text, c.text) << c.path.substr(0, 80);
    }
}

TEST(SerialDeviceCheck, TheLockOfAnotherProgramIsBusyOurOwnPortIsReady) {
    HangGuard guard(30);
    PhonePty pty;
    ASSERT_TRUE(pty.IsOpen());
    int held[2], release[2];
    ASSERT_EQ(pipe(held), 0);
    ASSERT_EQ(pipe(release), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        // Another program with the port open, locked as the program locks it.
        ::close(release[1]);
        const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
        [[maybe_unused]] ssize_t n = ::write(held[1], &ok, 1);
        char byte = 0;
        n = ::read(release[0], &byte, 1);
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(held[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    const DeviceCheck busy = CheckSerialDevice(pty.SlavePath());
    EXPECT_EQ(busy.state, DeviceState::Busy);
    EXPECT_EQ(busy.text, "In use by another program (process " + std::to_string(holder) + ")");
    ::close(release[1]);
    waitpid(holder, nullptr, 0);
    for (int fd : {held[0], held[1], release[0]}) ::close(fd);

    EXPECT_EQ(CheckSerialDevice(pty.SlavePath()).state, DeviceState::Ready);
    // The check keeps no lock: the program opens the port right after it.
    PosixCommDevice device;
    ASSERT_TRUE(device.Open(pty.SlavePath()));
    // The port this program itself has open is about to be closed and opened
    // again, so it is no other program's.
    EXPECT_EQ(CheckSerialDevice(pty.SlavePath()).state, DeviceState::Ready);
    PosixCommDevice other;
    EXPECT_FALSE(other.Open(pty.SlavePath()));
    EXPECT_EQ(other.OpenFailureText(), pty.SlavePath() + ": In use by another program (process " +
                                           std::to_string(getpid()) + ")");
}

TEST(SerialDeviceCheck, ADeviceWithoutRightsIsToldWithItsOwnerAndMode) {
    HangGuard guard(30);
    PhonePty pty;
    ASSERT_TRUE(pty.IsOpen());
    ASSERT_EQ(chmod(pty.SlavePath().c_str(), 0600), 0);
    const std::string path = pty.SlavePath();
    struct stat info {};
    ASSERT_EQ(stat(path.c_str(), &info), 0);
    const std::string owner = getpwuid(info.st_uid)->pw_name;
    const std::string group = getgrgid(info.st_gid)->gr_name;
    DeviceState state = DeviceState::Failed;
    if (geteuid() == 0) {
        // File modes do not stop root: check as an ordinary user instead.
        state = InChild([&] {
            if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) {
                return DeviceState::Failed;
            }
            return CheckSerialDevice(path).state;
        });
    } else {
        ASSERT_EQ(chmod(path.c_str(), 0), 0);
        state = CheckSerialDevice(path).state;
        PosixCommDevice device;
        EXPECT_FALSE(device.Open(path));
        EXPECT_EQ(device.OpenFailureText(),
                  path + ": Permission denied (" + owner + ":" + group + " 0000)");
    }
    EXPECT_EQ(state, DeviceState::NoPermission);
}

// What can be told without opening the device is; the one open that is
// left leaves the line settings as it found them (HUPCL included).
TEST(SerialDeviceCheck, OpensTheDeviceOnlyWhenNothingElseTellsAndLeavesItsLineSettings) {
    HangGuard guard(30);
    PhonePty pty;
    ASSERT_TRUE(pty.IsOpen());
    ScratchDir locks;
    const std::string path = pty.SlavePath();
    int locked[2];
    ASSERT_EQ(pipe(locked), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        // Another program with the port locked, until it is killed.
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        const char ok = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) == 0 ? 1 : 0;
        [[maybe_unused]] ssize_t n = ::write(locked[1], &ok, 1);
        pause();
        _exit(0);
    }
    char ok = 0;
    ASSERT_EQ(::read(locked[0], &ok, 1), 1);
    ASSERT_EQ(ok, 1);
    // A port that hangs up when its last user closes it, as serial ports do.
    termios before{};
    const int first = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(tcgetattr(first, &before), 0);
    before.c_cflag |= HUPCL;
    ASSERT_EQ(tcsetattr(first, TCSANOW, &before), 0);
    ::close(first);
    NoRights noRights;
    const struct {
        const char* what;
        std::function<void()> arrange;
        DeviceState state;
        int opens;
    } cases[] = {
        {"locked by another program", [] {}, DeviceState::Busy, 0},
        {"its lock file held by a live process",
         [&] {
             kill(holder, SIGKILL);
             waitpid(holder, nullptr, 0);
             locks.Write(LockFileName(path), std::to_string(getppid()) + "\n");
         },
         DeviceState::Busy, 0},
        {"no rights",
         [&] {
             fs::remove(locks.PathOf(LockFileName(path)));
             SetUserAccounts(&noRights);
         },
         DeviceState::NoPermission, 0},
        {"free", [&] { SetUserAccounts(nullptr); }, DeviceState::Ready, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        const OpenCounter counter(path);
        EXPECT_EQ(CheckSerialDevice(path, locks.Path()).state, c.state);
        EXPECT_EQ(counter.Opens(), c.opens);
    }
    for (int fd : locked) ::close(fd);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios t{};
    ASSERT_EQ(tcgetattr(fd, &t), 0);
    EXPECT_EQ(t.c_cflag, before.c_cflag);
    ::close(fd);
}

TEST(DeviceLockOwner, FindsOnlyThisProcessesFlockOnTheFile) {
    struct stat file {};
    file.st_dev = makedev(0, 0x19);
    file.st_ino = 7;
    const std::string table =
        "1: POSIX  ADVISORY  WRITE 42 00:19:7 0 EOF\n"
        "2: FLOCK  ADVISORY  WRITE 43 00:19:8 0 EOF\n"
        "3: FLOCK  ADVISORY  WRITE 44 00:19:7 0 EOF\n"
        "3: -> FLOCK  ADVISORY  WRITE 45 00:19:7 0 EOF\n";
    EXPECT_TRUE(LockTableShowsProcess(table, file, 44));
    EXPECT_EQ(LockTableHolders(table, file), std::vector<pid_t>{44});
    for (long pid : {42L, 43L, 45L, 46L}) EXPECT_FALSE(LockTableShowsProcess(table, file, pid));
    EXPECT_FALSE(LockTableShowsProcess("garbage\n\n1:\n", file, 44));
}

TEST(TtyHotplugMonitor, DrainsWithoutWaitingWhetherOrNotUdevIsThere) {
    HangGuard guard(30);
    TtyHotplugMonitor monitor;
    if (monitor.Fd() >= 0) {
        EXPECT_TRUE(fcntl(monitor.Fd(), F_GETFL) & O_NONBLOCK);
    }
    // Nothing is plugged in while the test runs; either way nothing blocks.
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(monitor.DrainEvents());
}

}  // namespace
