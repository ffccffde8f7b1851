#pragma once
// A program started by a test, with pipes on its standard input and output;
// killed and reaped at the end if it is still running.

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

class ChildProgram {
public:
    // Where the child's standard error goes.
    enum class Stderr { Inherit, IntoStdout };

    ChildProgram(const std::string& path, std::vector<std::string> args,
                 Stderr errors = Stderr::Inherit);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool Running() const { return m_pid > 0; }
    void Send(const std::string& text);
    void CloseInput();
    void Signal(int signal);

    // The next line of output, or "" after the time is up.
    std::string ReadLine(std::chrono::milliseconds within = kWait);
    // Reads lines until one equals `wanted`; false when none came in time.
    bool ReadUntil(const std::string& wanted);
    // The exit status (128 + the signal for a killed program), or -1 if the
    // program has not ended within the time.
    int Wait(std::chrono::milliseconds within = kWait);

    static constexpr std::chrono::milliseconds kWait{5000};

private:
    pid_t m_pid = -1;
    bool m_reaped = false;
    int m_stdin = -1;
    int m_stdout = -1;
    std::string m_buffer;
};
