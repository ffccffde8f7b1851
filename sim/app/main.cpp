// telvoxa-phone: a simulated phone on a pseudo-terminal (or a given device),
// for trying the program and for tests without a real phone and cable.

#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "platform/posix/SimulatedPhones.h"
#include "sim/PhoneSimulator.h"

namespace {

constexpr size_t kMaxLineLength = 4096;

const char kUsage[] =
    "usage: telvoxa-phone [--link PATH] [--device PATH] [--cable N] [--status-interval MS]\n"
    "                     [--script FILE] [--stay] [--quiet]\n"
    "  --link PATH            make PATH a symbolic link to the port (removed at exit)\n"
    "  --device PATH          use this device instead of a new pseudo-terminal\n"
    "  --cable N              answer the handshake of cable type N (0..7; default 0)\n"
    "  --status-interval MS   send the status byte every MS ms (default 100; 0 = never)\n"
    "  --script FILE          take the commands from FILE; the program ends at its end\n"
    "  --stay                 keep running after the end of the input\n"
    "  --quiet                print only what the PC sends, and errors\n"
    "Commands are read from standard input, one per line; type help for the list.\n";

struct Options {
    PhoneSimulatorOptions sim;
    std::string script;
    bool quiet = false;
};

bool ParseInt(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

// 0 to go on, otherwise the exit status.
int ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return -1;
        } else if (arg == "--stay") {
            options.sim.stay = true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--link" || arg == "--device" || arg == "--script" || arg == "--cable" ||
                   arg == "--status-interval") {
            const char* v = value();
            if (v == nullptr) {
                std::fprintf(stderr, "telvoxa-phone: %s needs a value\n", arg.c_str());
                return 2;
            }
            bool ok = true;
            if (arg == "--link") options.sim.link = v;
            if (arg == "--device") options.sim.device = v;
            if (arg == "--script") options.script = v;
            if (arg == "--cable") ok = ParseInt(v, 0, 7, options.sim.cable);
            if (arg == "--status-interval") {
                ok = ParseInt(v, 0, 3600000, options.sim.statusIntervalMs);
            }
            if (!ok) {
                std::fprintf(stderr, "telvoxa-phone: bad value for %s: %s\n", arg.c_str(), v);
                return 2;
            }
        } else {
            std::fprintf(stderr, "telvoxa-phone: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        }
    }
    return 0;
}

bool ReadScript(const std::string& path, std::vector<std::string>& lines) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() > kMaxLineLength) line.resize(kMaxLineLength);
        lines.push_back(line);
    }
    return !in.bad();
}

// Splits what arrives on standard input into command lines.
class LineReader {
public:
    explicit LineReader(PhoneSimulator& sim) : m_sim(sim) {}
    // false at the end of the input.
    bool ReadSome(int fd) {
        char buffer[1024];
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) return errno == EINTR || errno == EAGAIN;
        if (n == 0) {
            if (!m_partial.empty()) m_sim.Command(m_partial);
            m_partial.clear();
            return false;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                m_sim.Command(m_partial);
                m_partial.clear();
            } else if (m_partial.size() < kMaxLineLength) {
                m_partial += buffer[i];
            }
        }
        return true;
    }

private:
    PhoneSimulator& m_sim;
    std::string m_partial;
};

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (int status = ParseOptions(argc, argv, options); status != 0) return status < 0 ? 0 : status;

    std::vector<std::string> script;
    if (!options.script.empty() && !ReadScript(options.script, script)) {
        std::fprintf(stderr, "telvoxa-phone: cannot read %s: %s\n", options.script.c_str(),
                     std::strerror(errno));
        return 1;
    }

    // The signals are taken through a descriptor, in the main thread only.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);

    PhoneSimulator sim(options.sim);
    std::string error;
    if (!sim.Open(error)) {
        std::fprintf(stderr, "telvoxa-phone: %s\n", error.c_str());
        return 1;
    }
    // Telvoxa's device list offers the phone while it runs; announced
    // before the first line, so that whoever reads that line finds it listed.
    const std::string runtimeDir = options.sim.link.empty() ? std::string() : RuntimeFolder();
    if (!runtimeDir.empty()) {
        std::string announceError;
        const std::string absolute =
            std::filesystem::absolute(options.sim.link).lexically_normal().string();
        if (!AnnounceSimulatedPhone(runtimeDir, absolute, announceError)) {
            std::fprintf(stderr, "telvoxa-phone: not listed in Telvoxa's settings: %s\n",
                         announceError.c_str());
        }
    }

    std::printf("telvoxa-phone: %s\n", sim.PcPath().c_str());
    if (!options.quiet) {
        // What was made, and what it waits for.
        if (!options.sim.link.empty()) {
            std::printf("-- linked %s -> %s\n", options.sim.link.c_str(), sim.PcPath().c_str());
        }
        if (options.script.empty()) {
            std::printf("-- type help for the commands (ring 09012345678 rings the PC)\n");
        } else {
            std::printf("-- running the script %s\n", options.script.c_str());
        }
    }
    std::fflush(stdout);
    const bool quiet = options.quiet;
    sim.SetLineSink([quiet](const std::string& line) {
        if (quiet && line.rfind("<- ", 0) != 0 && line.rfind("error:", 0) != 0) return;
        std::fputs(line.c_str(), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    });
    sim.Start();

    const bool fromStdin = options.script.empty();
    for (const std::string& line : script) sim.Command(line);
    if (!fromStdin) sim.EndOfInput();

    LineReader reader(sim);
    bool stdinOpen = fromStdin;
    while (!sim.Finished()) {
        pollfd fds[2] = {{signalFd, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        const int ready = ::poll(fds, stdinOpen ? 2 : 1, 100);
        if (ready < 0 && errno != EINTR) break;
        if (ready <= 0) continue;
        if (fds[0].revents & POLLIN) break;  // SIGINT, SIGTERM or SIGHUP
        if (stdinOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            if (!reader.ReadSome(STDIN_FILENO)) {
                stdinOpen = false;
                sim.EndOfInput();
            }
        }
    }

    // Closes the port and removes the link.
    sim.Stop();
    if (!runtimeDir.empty()) WithdrawSimulatedPhone(runtimeDir);
    if (signalFd >= 0) ::close(signalFd);
    return 0;
}
