// The telvoxa-phone program: its first line, the link, scripts, the end of
// input and the signals that end it.

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/posix/SimulatedPhones.h"
#include "support/ChildProgram.h"
#include "support/RawTerminal.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;

constexpr auto kWait = ChildProgram::kWait;

// telvoxa-phone with these arguments.
class Program : public ChildProgram {
public:
    explicit Program(std::vector<std::string> args)
        : ChildProgram(TELVOXA_PHONE_PATH, std::move(args)) {}
};

class PhoneProgram : public testing::Test {
protected:
    std::string Script(const std::string& text) {
        const std::string path = dir.PathOf("call.txt");
        std::ofstream(path) << text;
        return path;
    }

    ScratchDir dir;
    std::string link = dir.PathOf("phone");
};

int OpenRaw(const std::string& path) {
    return OpenRawTerminal(path);
}

Bytes ReadBytes(int fd, size_t count) {
    return ReadTerminalBytes(fd, count, kWait);
}

TEST_F(PhoneProgram, RunsAScriptedCallThroughItsLink) {
    const std::string script = Script(
        "# a call that the PC answers\n"
        "expect <- HANGUP\n"
        "ring 031\n"
        "expect <- ANSWER\n"
        "hangup 10\n"
        "sleep 300\n");
    Program phone({"--link", link, "--script", script, "--status-interval", "0"});
    ASSERT_TRUE(phone.Running());
    const std::string first = phone.ReadLine();
    ASSERT_EQ(first.rfind("telvoxa-phone: /dev/", 0), 0u) << first;
    const std::string port = first.substr(std::string("telvoxa-phone: ").size());
    ASSERT_EQ(fs::read_symlink(link).string(), port);

    int pc = OpenRaw(link);
    ASSERT_GE(pc, 0);
    const uint8_t hangUp = 0xA6, answer = 0xA7;
    ASSERT_EQ(::write(pc, &hangUp, 1), 1);
    EXPECT_EQ(ReadBytes(pc, 6), (Bytes{0xA5, 0xE0, 0x9A, 0x93, 0x91, 0xAA}));
    ASSERT_EQ(::write(pc, &answer, 1), 1);
    EXPECT_EQ(ReadBytes(pc, 1), Bytes{0xAF});
    EXPECT_EQ(ReadBytes(pc, 12),
              (Bytes{0xA6, 0xE2, 0x91, 0x9A, 0xAA, 0xE1, 0x01, 0x23, 0x45, 0xE7, 0x67, 0x89}));
    ::close(pc);

    EXPECT_EQ(phone.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    std::vector<std::string> lines;
    for (std::string line = phone.ReadLine(500ms); !line.empty(); line = phone.ReadLine(500ms)) {
        lines.push_back(line);
    }
    const std::vector<std::string> expected = {"-- linked " + link + " -> " + port,
                                               "-- running the script " + script,
                                               "<- HANGUP",
                                               "-> a5 e0 9a 93 91 aa",
                                               "<- ANSWER",
                                               "-> af",
                                               "-> a6 e2 91 9a aa e1 01 23 45 e7 67 89",
                                               "-- the PC closed the port"};
    EXPECT_EQ(lines, expected);
}

TEST_F(PhoneProgram, EndsOnSignalsAndRemovesItsLink) {
    for (int sig : {SIGTERM, SIGINT}) {
        Program phone({"--link", link});
        ASSERT_TRUE(phone.Running());
        ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
        EXPECT_TRUE(fs::is_symlink(link));
        phone.Signal(sig);
        EXPECT_EQ(phone.Wait(), 0) << sig;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link))) << sig;
    }
}

TEST_F(PhoneProgram, UnplugAndReplugTakeTheLinkAwayAndBringItBack) {
    Program phone({"--link", link, "--status-interval", "0"});
    ASSERT_TRUE(phone.Running());
    ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
    ASSERT_EQ(phone.ReadLine(), "-- linked " + link + " -> " + fs::read_symlink(link).string());
    ASSERT_EQ(phone.ReadLine(), "-- type help for the commands (ring 09012345678 rings the PC)");
    phone.Send("help\n");
    // Each command that takes a value shows one, in the order of the list.
    for (const char* example : {"ring 09012345678", "hangup 120", "charge 30", "signal 2",
                                "send a5 e3", "sleep 500", "expect <- ANSWER"}) {
        std::string line = phone.ReadLine();
        while (!line.empty() && line.find(example) == std::string::npos) line = phone.ReadLine();
        EXPECT_NE(line, "") << example;
    }
    EXPECT_TRUE(
        phone.ReadUntil("replug            plug it back: a new port behind the same --link"));
    phone.Send("unplug\n");
    EXPECT_TRUE(phone.ReadUntil("-- unplugged"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    phone.Send("replug\n");
    std::string line = phone.ReadLine();
    ASSERT_EQ(line.rfind("-- replugged: /dev/", 0), 0u) << line;
    EXPECT_EQ(fs::read_symlink(link).string(), line.substr(std::string("-- replugged: ").size()));
    phone.Send("quit\n");
    EXPECT_EQ(phone.Wait(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST_F(PhoneProgram, EndsAtTheEndOfItsInputOrOnQuit) {
    Program phone({"--status-interval", "0"});
    ASSERT_TRUE(phone.Running());
    ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
    phone.Send("state\nring-hidden\n");
    EXPECT_TRUE(phone.ReadUntil("state: idle"));
    phone.CloseInput();
    EXPECT_EQ(phone.Wait(), 0);

    Program quitting({});
    ASSERT_EQ(quitting.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
    quitting.Send("quit\n");
    EXPECT_EQ(quitting.Wait(), 0);

    Program staying({"--stay"});
    ASSERT_EQ(staying.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
    staying.CloseInput();
    EXPECT_EQ(staying.Wait(300ms), -1);
    staying.Signal(SIGTERM);
    EXPECT_EQ(staying.Wait(), 0);
}

TEST_F(PhoneProgram, RefusesBadOptionsAndForeignLinkPaths) {
    EXPECT_EQ(Program({"--cable", "9"}).Wait(), 2);
    EXPECT_EQ(Program({"--status-interval", "soon"}).Wait(), 2);
    EXPECT_EQ(Program({"--frobnicate"}).Wait(), 2);
    EXPECT_EQ(Program({"--script", dir.PathOf("missing.txt")}).Wait(), 1);

    // A file that is not a link is never replaced.
    std::ofstream(link) << "keep me";
    EXPECT_EQ(Program({"--link", link}).Wait(), 1);
    std::ifstream in(link);
    std::string kept;
    std::getline(in, kept);
    EXPECT_EQ(kept, "keep me");
}

TEST_F(PhoneProgram, AnnouncesItsLinkWhileItRunsAndOnlyThen) {
    ScratchDir runtime;
    setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
    // What a dead phone, another program or another user could leave there.
    runtime.Write("telvoxa-phone-999999999.link", "999999999\n/tmp/gone\n");
    const std::string self = std::to_string(getpid());
    runtime.Write("telvoxa-phone-1.link", self + "\n/tmp/named-for-another\n");
    runtime.Write("telvoxa-phone-" + self + ".link", self + "\nrelative/link\n");
    fs::create_directory(runtime.PathOf("telvoxa-phone-" + std::to_string(getppid()) + ".link"));
    {
        Program phone({"--link", link, "--status-interval", "0"});
        ASSERT_EQ(phone.ReadLine().rfind("telvoxa-phone: ", 0), 0u);
        ASSERT_TRUE(
            phone.ReadUntil("-- type help for the commands (ring 09012345678 rings the PC)"));
        const std::vector<SimulatedPhone> phones = ListSimulatedPhones(runtime.Path());
        ASSERT_EQ(phones.size(), 1u);
        EXPECT_EQ(phones[0].link, link);
        const std::string announcement = SimulatedPhoneFile(runtime.Path(), phones[0].pid);
        EXPECT_EQ(fs::status(announcement).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        // A link to it is not followed.
        fs::create_symlink(announcement, runtime.PathOf("telvoxa-phone-" + self + "0.link"));
        EXPECT_EQ(ListSimulatedPhones(runtime.Path()).size(), 1u);
        phone.Send("quit\n");
        EXPECT_EQ(phone.Wait(), 0);
        EXPECT_FALSE(fs::exists(announcement));
    }
    EXPECT_TRUE(ListSimulatedPhones(runtime.Path()).empty());
    unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
