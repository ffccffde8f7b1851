// The telvoxa program's command line: the options that print and end without
// a window, run as a process without any display.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
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
Outcome RunTelvoxa(std::vector<std::string> args, const std::string& devDir = {}) {
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

TEST(TelvoxaProgram, ListPortsNamesEachDeviceWithItsStatus) {
    PhonePty phone;
    ASSERT_TRUE(phone.IsOpen());
    ScratchDir dev;
    dev.Write("ttyUSB0", "");
    fs::create_directories(dev.PathOf("serial/by-id"));
    fs::create_symlink(phone.SlavePath(), dev.PathOf("serial/by-id/usb-Phone-if00"));
    const std::string pts = fs::path(phone.SlavePath()).filename().string();

    const Outcome listed = RunTelvoxa({"--list-ports"}, dev.Path());
    EXPECT_EQ(listed.status, 0) << listed.err;
    EXPECT_EQ(listed.out, dev.PathOf("serial/by-id/usb-Phone-if00") + " (" + pts + "): Ready\n" +
                              dev.PathOf("ttyUSB0") + ": Not a serial device\n");

    const Outcome none = RunTelvoxa({"--list-ports"}, dev.PathOf("empty"));
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.out, "No serial devices found\n");
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

}  // namespace
