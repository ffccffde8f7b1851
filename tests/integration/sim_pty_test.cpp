// The simulated phone on a real pseudo-terminal, with a plain descriptor on
// the PC's side.

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/PhoneSimulator.h"
#include "support/RawTerminal.h"
#include "support/ScratchDir.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

// Generous bounds: they only stop a broken test from hanging.
constexpr auto kWait = 5s;

int OpenRaw(const std::string& path) {
    return OpenRawTerminal(path);
}

void WriteBytes(int fd, const Bytes& bytes) {
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

void WriteText(int fd, std::string_view text) {
    WriteBytes(fd, Bytes(text.begin(), text.end()));
}

Bytes ReadBytes(int fd, size_t count, std::chrono::milliseconds within = kWait) {
    return ReadTerminalBytes(fd, count, within);
}

Bytes Text(std::string_view s) {
    return Bytes(s.begin(), s.end());
}

PhoneSimulatorOptions Options(int cable, int statusIntervalMs, std::string device = {}) {
    PhoneSimulatorOptions options;
    options.cable = cable;
    options.statusIntervalMs = statusIntervalMs;
    options.device = std::move(device);
    return options;
}

// Whether `path` opens for a process without root's rights (which pass
// over an exclusive line): the process itself, or a child of root's that
// became an ordinary user.
bool OpensAsOrdinaryUser(const std::string& path) {
    if (geteuid() != 0) {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
        return fd >= 0;
    }
    constexpr uid_t kNobody = 65534;
    if (chown(path.c_str(), kNobody, static_cast<gid_t>(-1)) != 0) return false;
    const pid_t child = fork();
    if (child == 0) {
        if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) _exit(2);
        _exit(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK) >= 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Bytes waiting on the PC's side.
int Pending(int fd) {
    pollfd p{fd, POLLIN, 0};
    ::poll(&p, 1, 0);  // hands on what is on its way
    int count = -1;
    ioctl(fd, FIONREAD, &count);
    return count;
}

class SimOnPty : public testing::Test {
protected:
    void StartPhone(PhoneSimulatorOptions options) {
        sim = std::make_unique<PhoneSimulator>(options);
        std::string error;
        ASSERT_TRUE(sim->Open(error)) << error;
        sim->Start();
        pc = OpenRaw(sim->PcPath());
        ASSERT_GE(pc, 0) << sim->PcPath();
    }
    void TearDown() override {
        if (pc >= 0) ::close(pc);
        if (sim) sim->Stop();
    }

    std::unique_ptr<PhoneSimulator> sim;
    int pc = -1;
};

TEST_F(SimOnPty, AnswersTheCableHandshake) {
    StartPhone(Options(7, 0));
    WriteText(pc, "AT\r\n");
    EXPECT_EQ(ReadBytes(pc, 6), Text("\r\nOK\r\n"));
    WriteText(pc, "AT+CPBMD\r\n");
    EXPECT_TRUE(sim->WaitForLine("<- AT AT+CPBMD", kWait));
    EXPECT_TRUE(sim->WaitForLine("<- AT AT", kWait));
}

TEST_F(SimOnPty, RunsACallBothWays) {
    StartPhone(Options(0, 0));
    sim->Command("ring 0312345678");
    EXPECT_EQ(ReadBytes(pc, 13), (Bytes{0xA5, 0xE0, 0x9A, 0x93, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96,
                                        0x97, 0x98, 0xAA}));
    WriteBytes(pc, {0xA7});
    EXPECT_EQ(ReadBytes(pc, 1), Bytes{0xAF});
    EXPECT_TRUE(sim->WaitForLine("<- ANSWER", kWait));
    EXPECT_EQ(sim->State(), SimCallState::OnLine);
    sim->Command("hangup 80");
    EXPECT_EQ(ReadBytes(pc, 12),
              (Bytes{0xA6, 0xE2, 0x98, 0x9A, 0xAA, 0xE1, 0x01, 0x23, 0x45, 0xE7, 0x67, 0x89}));
    // The PC dials: the phone reports placing the call.
    WriteBytes(pc, {0xA7, 0xEB, 0x9A, 0x93, 0x86});
    EXPECT_TRUE(sim->WaitForLine("<- DIAL 03 caller-id=on", kWait));
    EXPECT_EQ(ReadBytes(pc, 1), Bytes{0x26});
    sim->Command("answer");
    EXPECT_EQ(ReadBytes(pc, 1), Bytes{0xA7});
    WriteBytes(pc, {0xA6});
    EXPECT_EQ(ReadBytes(pc, 9), (Bytes{0xA6, 0xE2, 0x91, 0x92, 0x9A, 0xAA, 0xE7, 0x67, 0x89}));
    EXPECT_TRUE(sim->WaitForLine("<- HANGUP", kWait));
    EXPECT_EQ(sim->State(), SimCallState::Idle);
}

TEST_F(SimOnPty, SendsTheStatusByteWhileIdleOnly) {
    StartPhone(Options(0, 50));
    sim->Command("signal 2");
    Bytes got = ReadBytes(pc, 3);
    EXPECT_EQ(got, (Bytes{0xC8, 0xC8, 0xC8}));
    sim->Command("ring-hidden");
    // Whatever status came before the ring, nothing follows it while ringing.
    Bytes before = ReadBytes(pc, 2);
    while (before.size() == 2 && before[0] == 0xC8) {
        before.erase(before.begin());
        Bytes more = ReadBytes(pc, 1);
        before.insert(before.end(), more.begin(), more.end());
    }
    EXPECT_EQ(before, (Bytes{0xA5, 0xE3}));
    EXPECT_TRUE(ReadBytes(pc, 1, 300ms).empty());
    sim->Command("silent");
    sim->Command("hangup");
    EXPECT_EQ(ReadBytes(pc, 2), (Bytes{0xA4, 0xA6}));
    EXPECT_TRUE(ReadBytes(pc, 1, 300ms).empty());
}

// A program killed while it held the port exclusively leaves the line so;
// the phone lifts that, and the next start opens it without a replug.
TEST_F(SimOnPty, TheLineOpensAgainAfterThePcWentAwayHoldingItExclusively) {
    StartPhone(Options(0, 0));
    ::close(pc);
    pc = -1;
    ASSERT_TRUE(sim->WaitForLine("-- the PC closed the port", kWait));
    const size_t from = sim->LineCount();
    const std::string path = sim->PcPath();
    const pid_t killed = fork();
    if (killed == 0) {
        const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd >= 0) ioctl(fd, TIOCEXCL);
        raise(SIGKILL);
    }
    ASSERT_GT(killed, 0);
    waitpid(killed, nullptr, 0);
    ASSERT_TRUE(sim->WaitForLine("-- the PC closed the port", kWait, from));
    EXPECT_TRUE(OpensAsOrdinaryUser(path));
    pc = OpenRaw(path);
    ASSERT_GE(pc, 0);
    ASSERT_TRUE(sim->WaitForLine("-- the PC opened the port", kWait, from));
    sim->Command("ring-hidden");
    EXPECT_EQ(ReadBytes(pc, 2), (Bytes{0xA5, 0xE3}));
}

// Status bytes sent faster than the PC polls would pile up ahead of a ring.
TEST(SimStatus, OneStatusByteWaitsForThePcAtMost) {
    PhoneSimulator sim(Options(0, 10));
    std::string error;
    ASSERT_TRUE(sim.Open(error)) << error;
    const int pc = OpenRaw(sim.PcPath());
    ASSERT_GE(pc, 0);
    for (int turn = 0; turn < 3; ++turn) {
        sim.Pump(200ms);  // some twenty status turns
        EXPECT_EQ(Pending(pc), 1) << turn;
        EXPECT_EQ(ReadBytes(pc, 1), Bytes{0xCF});
    }
    sim.Command("ring-hidden");
    sim.Pump(200ms);
    EXPECT_EQ(ReadBytes(pc, 2), (Bytes{0xA5, 0xE3}));
    ::close(pc);
}

TEST_F(SimOnPty, ClosesGarbageAfterTheGap) {
    StartPhone(Options(0, 0));
    const size_t from = sim->LineCount();
    WriteBytes(pc, {0xF2, 0x02});
    EXPECT_TRUE(sim->WaitForLine("<- ?? 0x02", kWait, from));
    WriteBytes(pc, {0xF2, 0x02, 0x01, 0x00, 0x00, 0x03, 0x01, 0x04});
    EXPECT_TRUE(sim->WaitForLine("<- KEY CONTROL_RIGHT", kWait, from));
    const std::vector<std::string> lines = sim->Lines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 3, lines.end()),
              (std::vector<std::string>{"<- ?? 0xf2", "<- ?? 0x02", "<- KEY CONTROL_RIGHT"}));
}

// The PC closing its end must neither end the phone nor make it spin; when
// the PC opens the port again the phone answers as before.
TEST_F(SimOnPty, WaitsQuietlyWhileThePcHasThePortClosed) {
    StartPhone(Options(2, 20));
    WriteText(pc, "AT%Z\r");
    ASSERT_TRUE(sim->WaitForLine("<- AT AT%Z", kWait));
    ::close(pc);
    pc = -1;
    ASSERT_TRUE(sim->WaitForLine("-- the PC closed the port", kWait));
    const uint64_t before = sim->LoopIterations();
    std::this_thread::sleep_for(1s);
    // About 10 probes and 50 status turns a second; a spinning loop makes
    // hundreds of thousands.
    EXPECT_LT(sim->LoopIterations() - before, 1000u);

    sim->Command("ring 03");
    ASSERT_TRUE(sim->WaitForLine("-> a5 e0 9a 93 aa (not sent: port closed)", kWait));
    pc = OpenRaw(sim->PcPath());
    ASSERT_GE(pc, 0);
    ASSERT_TRUE(sim->WaitForLine("-- the PC opened the port", kWait));
    sim->Command("silent");
    tcflush(pc, TCIOFLUSH);
    sim->Command("hangup");
    // The hang-up of the ringing call (after any status byte still on its way).
    Bytes got;
    while (got.size() < 2) {
        Bytes b = ReadBytes(pc, 1);
        if (b.empty()) break;
        if (b[0] != 0xCF || !got.empty()) got.push_back(b[0]);
    }
    EXPECT_EQ(got, (Bytes{0xA4, 0xA6}));
    WriteText(pc, "AT%Z\r");
    EXPECT_EQ(ReadBytes(pc, 6), Text("\r\nCT\r\n"));
}

TEST_F(SimOnPty, ScriptWaitsForWhatItExpects) {
    StartPhone(Options(0, 0));
    for (const char* line : {"expect <- DIAL", "sleep 100", "answer", "hangup 5", "quit"}) {
        sim->Command(line);
    }
    EXPECT_TRUE(ReadBytes(pc, 1, 300ms).empty());
    EXPECT_FALSE(sim->Finished());
    WriteBytes(pc, {0xA7, 0xEA, 0x91, 0x86});
    EXPECT_EQ(ReadBytes(pc, 12),
              (Bytes{0x26, 0xA7, 0xA6, 0xE2, 0x95, 0xAA, 0xE1, 0x01, 0x23, 0x45, 0xE7, 0x67}));
    EXPECT_TRUE(sim->WaitFinished(kWait));
}

TEST_F(SimOnPty, FinishesAtTheEndOfInputUnlessToldToStay) {
    StartPhone(Options(0, 0));
    sim->Command("sleep 50");
    sim->EndOfInput();
    EXPECT_TRUE(sim->WaitFinished(kWait));

    PhoneSimulator staying(Options(0, 0));
    std::string error;
    ASSERT_TRUE(staying.Open(error)) << error;
    staying.Start();
    staying.Command("stay");
    staying.EndOfInput();
    EXPECT_FALSE(staying.WaitFinished(300ms));
    staying.Command("quit");
    EXPECT_TRUE(staying.WaitFinished(kWait));
}

TEST_F(SimOnPty, ReportsBadCommands) {
    StartPhone(Options(0, 0));
    sim->Command("resume");
    sim->Command("fly");
    EXPECT_TRUE(sim->WaitForLine("error: resume: not possible while idle", kWait));
    EXPECT_TRUE(sim->WaitForLine("error: fly: unknown command (try help)", kWait));
}

// A pulled cable: the PC's side of the line goes away with the link; put
// back, a new pseudo-terminal stands behind the same link and the phone
// answers as before.
TEST(SimUnplug, ClosesThePortAndRemovesTheLinkThenReplugsBehindTheSameLink) {
    const ScratchDir dir;
    PhoneSimulatorOptions options = Options(2, 0);
    options.link = dir.PathOf("phone");
    PhoneSimulator sim(options);
    std::string error;
    ASSERT_TRUE(sim.Open(error)) << error;
    sim.Start();
    const std::string first = sim.PcPath();
    char target[256] = {};
    ASSERT_GT(readlink(options.link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), first);
    int pc = OpenRaw(options.link);
    ASSERT_GE(pc, 0);

    sim.Command("unplug");
    ASSERT_TRUE(sim.WaitForLine("-- unplugged", kWait));
    EXPECT_TRUE(sim.PcPath().empty());
    EXPECT_NE(access(options.link.c_str(), F_OK), 0);
    uint8_t byte = 0;
    // The PC's end is hung up: end of file or EIO, whichever the kernel gives.
    const ssize_t n = ::read(pc, &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n;
    ::close(pc);
    // Quiet while out: no spinning, nothing sent, a second unplug refused.
    const uint64_t before = sim.LoopIterations();
    sim.Command("ring 03");
    sim.Command("unplug");
    EXPECT_TRUE(sim.WaitForLine("error: unplug: the cable is already out", kWait));
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(sim.LoopIterations() - before, 500u);

    sim.Command("hangup");
    sim.Command("replug");
    const auto until = std::chrono::steady_clock::now() + kWait;
    while (sim.PcPath().empty() && std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_TRUE(sim.WaitForLine("-- replugged: " + sim.PcPath(), kWait));
    pc = OpenRaw(options.link);
    ASSERT_GE(pc, 0);
    WriteText(pc, "AT%Z\r");
    EXPECT_EQ(ReadBytes(pc, 6), Text("\r\nCT\r\n"));
    sim.Command("replug");
    EXPECT_TRUE(sim.WaitForLine("error: replug: the cable is in", kWait));
    ::close(pc);
    sim.Stop();
    EXPECT_NE(access(options.link.c_str(), F_OK), 0) << "the link goes with the phone";
}

TEST(SimPump, RunsWithoutAThread) {
    PhoneSimulator sim(Options(5, 0));
    std::string error;
    ASSERT_TRUE(sim.Open(error)) << error;
    int pc = OpenRaw(sim.PcPath());
    ASSERT_GE(pc, 0);
    WriteText(pc, "AT%Z\r");
    sim.Pump(200ms);
    EXPECT_EQ(ReadBytes(pc, 6, 1s), Text("\r\nCT\r\n"));
    ::close(pc);
}

// A device given by path: here the slave side of a pseudo-terminal, whose
// master plays the PC.
TEST(SimDevice, WorksOnAGivenDevice) {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    termios t{};
    tcgetattr(master, &t);
    cfmakeraw(&t);
    tcsetattr(master, TCSANOW, &t);
    PhoneSimulator sim(Options(0, 0, ptsname(master)));
    std::string error;
    ASSERT_TRUE(sim.Open(error)) << error;
    EXPECT_EQ(sim.PcPath(), ptsname(master));
    sim.Start();
    WriteBytes(master, {0xF2, 0x02, 0x01, 0x00, 0x00, 0x02, 0x02, 0x01});
    EXPECT_TRUE(sim.WaitForLine("<- CHAR か wide (2,1)", kWait));
    sim.Command("ring-hidden");
    EXPECT_EQ(ReadBytes(master, 2), (Bytes{0xA5, 0xE3}));
    sim.Stop();
    ::close(master);

    PhoneSimulator missing(Options(0, 0, "/nonexistent/tty"));
    EXPECT_FALSE(missing.Open(error));
    EXPECT_NE(error.find("/nonexistent/tty"), std::string::npos);
}

}  // namespace
