#pragma once
// Requests from outside to end the program, caught so that it ends in order:
// SIGTERM, SIGINT and SIGHUP (a logout, kill, Ctrl+C or the closing of the
// terminal); on Windows the console's Ctrl+C, Ctrl+Break, its closing, the
// logoff and the shutdown, told as SIGINT, SIGBREAK and SIGTERM. The handler
// only notes the request and wakes WakeObject(); whatever follows runs as
// ordinary code. A signal ignored when the program started stays ignored.
// The first request begins the ending; another one ends the process at
// once, by that signal, when the ending has run for 7 s, or when it has run
// 7 s if it comes sooner (a stuck ending is never waited for forever; the
// window's own ending is bounded well within that).

#include <cstdint>
#include <vector>

class TerminationRequests {
public:
    TerminationRequests();
    // Puts the handling that was there before back in place.
    ~TerminationRequests();
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

    // False when the handler could not be set up or another instance already
    // watches: requests then keep their previous handling.
    bool IsWatching() const { return m_watching; }
    // Whether this signal is handled here (false for one ignored at start).
    static bool IsHandled(int signalNumber);

    // A descriptor that turns readable (POSIX), or an event handle that is
    // set (Windows), while requests wait to be taken.
    std::intptr_t WakeObject() const { return m_wake; }
    // The requests that came since the last call, oldest first.
    std::vector<int> Take();

private:
    bool m_watching = false;
    std::intptr_t m_wake = -1;
    std::intptr_t m_other = -1;  // the pipe's writing end (POSIX)
};
