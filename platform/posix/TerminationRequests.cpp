#include "platform/TerminationRequests.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <iterator>

namespace {

constexpr int kWatched[] = {SIGTERM, SIGINT, SIGHUP};
// An ending that has run this long is ended by the next signal. The window
// bounds its own ending to 5 s, and 0.5 s more for a link thread that will
// not end; this is longer, so that it only ends a process whose window
// thread is stuck itself, never one that still closes its port.
constexpr long kPatienceMs = 7000;

// The pipe's writing end as the handler sees it; -1 while nobody watches.
std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free fd");
// When the first signal came (monotonic milliseconds); 0 before.
std::atomic<long> g_endingSinceMs{0};
static_assert(std::atomic<long>::is_always_lock_free, "the signal handler needs a lock-free time");
// The signal that ends the process once the patience is spent.
std::atomic<int> g_finalSignal{0};

struct sigaction g_previous[std::size(kWatched)];
bool g_installed[std::size(kWatched)] = {};
struct sigaction g_previousAlarm;

long MonotonicMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000L + now.tv_nsec / 1000000L + 1;  // never 0
}

// Ends the process at once by the signal itself, as an unhandled one would:
// the call record still open is closed at the next start.
[[noreturn]] void EndNow(int signalNumber) {
    ::signal(signalNumber, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signalNumber);
    ::_exit(128 + signalNumber);
}

void OnPatienceSpent(int) {
    EndNow(g_finalSignal.load());
}

void WriteSignalNumber(int signalNumber) {
    const int savedErrno = errno;
    const long now = MonotonicMs();
    long since = 0;
    if (g_endingSinceMs.compare_exchange_strong(since, now)) {
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        // A full pipe already holds a wake-up; dropping this byte loses nothing.
        [[maybe_unused]] const ssize_t written = ::write(g_writeFd.load(), &byte, 1);
    } else if (now - since >= kPatienceMs) {
        EndNow(signalNumber);
    } else {
        // Asked again early: the program hears it (it stops waiting for the
        // link's queued inputs), and the ending gets the rest of its time.
        const unsigned char byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(g_writeFd.load(), &byte, 1);
        g_finalSignal.store(signalNumber);
        itimerval timer{};
        const long left = kPatienceMs - (now - since);
        timer.it_value.tv_sec = left / 1000;
        timer.it_value.tv_usec = (left % 1000) * 1000;
        ::setitimer(ITIMER_REAL, &timer, nullptr);
    }
    errno = savedErrno;
}

}  // namespace

TerminationRequests::TerminationRequests() {
    if (g_writeFd.load() >= 0) return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_wake = fds[0];
    m_other = fds[1];
    m_watching = true;
    g_writeFd.store(fds[1]);
    g_endingSinceMs.store(0);

    struct sigaction action {};
    action.sa_handler = &WriteSignalNumber;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls elsewhere in the program simply go on.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kWatched); ++i) {
        ::sigaction(kWatched[i], nullptr, &g_previous[i]);
        // Ignored by whoever started the program (nohup, a shell's
        // background job): it stays ignored.
        if (g_previous[i].sa_handler == SIG_IGN) continue;
        g_installed[i] = ::sigaction(kWatched[i], &action, nullptr) == 0;
    }
    struct sigaction alarm {};
    alarm.sa_handler = &OnPatienceSpent;
    sigemptyset(&alarm.sa_mask);
    ::sigaction(SIGALRM, &alarm, &g_previousAlarm);
}

TerminationRequests::~TerminationRequests() {
    if (!m_watching) return;
    for (size_t i = 0; i < std::size(kWatched); ++i) {
        if (g_installed[i]) ::sigaction(kWatched[i], &g_previous[i], nullptr);
        g_installed[i] = false;
    }
    const itimerval stop{};
    ::setitimer(ITIMER_REAL, &stop, nullptr);
    ::sigaction(SIGALRM, &g_previousAlarm, nullptr);
    g_writeFd.store(-1);
    ::close(static_cast<int>(m_wake));
    ::close(static_cast<int>(m_other));
}

bool TerminationRequests::IsHandled(int signalNumber) {
    for (size_t i = 0; i < std::size(kWatched); ++i)
        if (kWatched[i] == signalNumber) return g_installed[i];
    return false;
}

std::vector<int> TerminationRequests::Take() {
    std::vector<int> taken;
    if (!m_watching) return taken;
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = ::read(static_cast<int>(m_wake), bytes, sizeof bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return taken;
        taken.insert(taken.end(), bytes, bytes + n);
    }
}
