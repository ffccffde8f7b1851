// The telvoxa program's command line: the options that print and end without
// a window, run as a process without any display.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/PhonePty.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs telvoxa with `args` and no display at all: a window, or even the
// application object, would end it with an error.
Outcome RunTelvoxa(std::vector<std::string> args, const std::string& devDir = {},
                   const std::string& configHome = {}) {
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        dup2(err[1], STDERR_FILENO);
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) unsetenv(name);
        if (devDir.empty()) {
            unsetenv("TELVOXA_DEV_DIR");
        } else {
            setenv("TELVOXA_DEV_DIR", devDir.c_str(), 1);
        }
        if (!configHome.empty()) setenv("XDG_CONFIG_HOME", configHome.c_str(), 1);
        args.insert(args.begin(), TELVOXA_PATH);
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    Outcome result;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    int open = 2;
    while (open > 0 && poll(fds, 2, 10000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char chunk[512];
            const ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
            if (n <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? result.out : result.err).append(chunk, static_cast<size_t>(n));
            }
        }
    }
    if (open > 0) kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return result;
}

TEST(TelvoxaProgram, VersionAndHelpPrintAndEnd) {
    const Outcome version = RunTelvoxa({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "Telvoxa Ver.1.06\n");
    EXPECT_EQ(version.err, "");
    const Outcome help = RunTelvoxa({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: telvoxa", 0), 0u) << help.out;
}

TEST(TelvoxaProgram, ListPortsNamesEachPortsDeviceThenTheOtherDevicesFound) {
    PhonePty phone;
    ASSERT_TRUE(phone.IsOpen());
    ScratchDir dev;
    dev.Write("ttyUSB0", "");
    dev.Write("ttyACM0", "");
    fs::create_directories(dev.PathOf("serial/by-id"));
    fs::create_symlink(phone.SlavePath(), dev.PathOf("serial/by-id/usb-Phone-if00"));
    ScratchDir config;
    std::string profile = "[ports]\nCOM1=" + dev.PathOf("serial/by-id/usb-Phone-if00") +
                          "\nCOM2=" + dev.PathOf("ttyUSB0") + "\n";
    std::string expected = "COM1  " + dev.PathOf("serial/by-id/usb-Phone-if00") + ": Ready\n" +
                           "COM2  " + dev.PathOf("ttyUSB0") + ": Not a serial device\n";
    for (int port = 3; port <= 8; ++port) {
        const std::string path = dev.PathOf("gone" + std::to_string(port));
        profile += "COM" + std::to_string(port) + "=" + path + "\n";
        expected += "COM" + std::to_string(port) + "  " + path + ": No such device\n";
    }
    fs::create_directories(config.PathOf("Orvel Applications"));
    config.Write("Orvel Applications/telvoxa.conf", profile);

    // The by-id link is COM1's device and ttyUSB0 COM2's: neither comes again,
    // and the phone's line is opened once, for the one check of it.
    const int watch = inotify_init1(IN_NONBLOCK);
    ASSERT_GE(inotify_add_watch(watch, phone.SlavePath().c_str(), IN_OPEN), 0);
    const Outcome listed = RunTelvoxa({"--list-ports"}, dev.Path(), config.Path());
    inotify_event events[8];
    EXPECT_EQ(::read(watch, events, sizeof events), static_cast<ssize_t>(sizeof(inotify_event)));
    ::close(watch);
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, expected + "Other devices found:\n" + dev.PathOf("ttyACM0") +
                              ": Not a serial device\n");

    const Outcome none = RunTelvoxa({"--list-ports"}, dev.PathOf("empty"), config.Path());
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, expected + "No other serial devices found\n");
}

TEST(TelvoxaProgram, AnythingElseIsAnErrorWithTheUsage) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--frobnicate"}, {"--version", "--help"}, {"COM1"}, {""}}) {
        const Outcome outcome = RunTelvoxa(args);
        EXPECT_EQ(outcome.status, 2) << args.front();
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("usage: telvoxa"), std::string::npos) << outcome.err;
    }
}

TEST(TelvoxaProgram, ABadLinkGetsOneLineSayingWhyAndNoWindow) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const Case cases[] = {
        {{"tel:"}, "telvoxa: \"tel:\" holds no phone number\n"},
        {{"tel:abc"}, "telvoxa: \"tel:abc\" is not a phone number: \"a\" cannot be dialled\n"},
        {{"--dial", "03-1234-5678x"},
         "telvoxa: \"03-1234-5678x\" is not a phone number: \"x\" cannot be dialled\n"},
        {{"tel:" + std::string(200, '9')},
         "telvoxa: \"tel:" + std::string(36, '9') +
             "...\" is not a phone number: more than 32 digits\n"},
    };
    for (const Case& c : cases) {
        const Outcome outcome = RunTelvoxa(c.args);
        EXPECT_EQ(outcome.status, 2) << c.message;
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, c.message);
    }
}

}  // namespace
