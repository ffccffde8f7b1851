#include "app/ui/TerminationSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <iterator>

namespace {

constexpr int kWatched[] = {SIGTERM, SIGINT};

// The pipe's writing end as the handler sees it; -1 while nobody watches.
std::atomic<int> g_writeFd{-1};
static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free fd");

struct sigaction g_previous[std::size(kWatched)];

void WriteSignalNumber(int signalNumber) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // A full pipe already holds a wake-up; dropping this byte loses nothing.
    [[maybe_unused]] const ssize_t written = ::write(g_writeFd.load(), &byte, 1);
    errno = savedErrno;
}

}  // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (g_writeFd.load() >= 0) return;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) return;
    m_readFd = fds[0];
    m_writeFd = fds[1];
    g_writeFd.store(m_writeFd);

    m_notifier = new QSocketNotifier(m_readFd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &TerminationSignals::Drain);

    struct sigaction action {};
    action.sa_handler = &WriteSignalNumber;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls elsewhere in the program simply go on.
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < std::size(kWatched); ++i) {
        ::sigaction(kWatched[i], &action, &g_previous[i]);
    }
}

TerminationSignals::~TerminationSignals() {
    if (m_notifier == nullptr) return;
    for (size_t i = 0; i < std::size(kWatched); ++i) {
        ::sigaction(kWatched[i], &g_previous[i], nullptr);
    }
    g_writeFd.store(-1);
    delete m_notifier;
    ::close(m_readFd);
    ::close(m_writeFd);
}

void TerminationSignals::Drain() {
    unsigned char bytes[16];
    for (;;) {
        const ssize_t n = ::read(m_readFd, bytes, sizeof bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        for (ssize_t i = 0; i < n; ++i) emit Received(bytes[i]);
    }
}
