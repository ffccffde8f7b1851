#include "support/ChildProgram.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

ChildProgram::ChildProgram(const std::string& path, std::vector<std::string> args, Stderr errors) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return;
    if (pipe2(out, O_CLOEXEC) != 0) {
        ::close(in[0]);
        ::close(in[1]);
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    if (errors == Stderr::IntoStdout) {
        posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
    }
    args.insert(args.begin(), path);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    m_stdin = in[1];
    m_stdout = out[0];
}

ChildProgram::~ChildProgram() {
    CloseInput();
    if (m_stdout >= 0) ::close(m_stdout);
    if (m_pid > 0 && !m_reaped) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
}

void ChildProgram::Send(const std::string& text) {
    [[maybe_unused]] ssize_t n = ::write(m_stdin, text.data(), text.size());
}

void ChildProgram::CloseInput() {
    if (m_stdin >= 0) ::close(m_stdin);
    m_stdin = -1;
}

void ChildProgram::Signal(int signal) {
    if (m_pid > 0 && !m_reaped) ::kill(m_pid, signal);
}

std::string ChildProgram::ReadLine(std::chrono::milliseconds within) {
    const auto end = std::chrono::steady_clock::now() + within;
    while (true) {
        if (size_t eol = m_buffer.find('\n'); eol != std::string::npos) {
            std::string line = m_buffer.substr(0, eol);
            m_buffer.erase(0, eol + 1);
            return line;
        }
        if (std::chrono::steady_clock::now() >= end) return {};
        pollfd p{m_stdout, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0) continue;
        char chunk[256];
        ssize_t n = ::read(m_stdout, chunk, sizeof chunk);
        if (n <= 0) return {};
        m_buffer.append(chunk, static_cast<size_t>(n));
    }
}

bool ChildProgram::ReadUntil(const std::string& wanted) {
    for (std::string line = ReadLine(); !line.empty(); line = ReadLine()) {
        if (line == wanted) return true;
    }
    return false;
}

int ChildProgram::Wait(std::chrono::milliseconds within) {
    if (m_pid <= 0) return -1;
    const auto end = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < end) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_reaped = true;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        ::usleep(10000);
    }
    return -1;
}
