#include "sim/PhoneSimulator.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "sim/SimLink.h"

namespace {

using namespace std::chrono_literals;

constexpr size_t kReadChunk = 256;
constexpr auto kWriteTimeout = 1000ms;

int MillisUntil(std::chrono::steady_clock::time_point now,
                std::chrono::steady_clock::time_point then) {
    if (then <= now) return 0;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(then - now).count();
    return static_cast<int>(std::min<int64_t>(ms, 60000));
}

}  // namespace

PhoneSimulator::PhoneSimulator(PhoneSimulatorOptions options)
    : m_options(std::move(options)), m_phone(m_options.cable), m_stay(m_options.stay) {
    if (pipe2(m_wake, O_NONBLOCK | O_CLOEXEC) != 0) m_wake[0] = m_wake[1] = -1;
}

PhoneSimulator::~PhoneSimulator() {
    Stop();
    for (int fd : m_wake) {
        if (fd >= 0) ::close(fd);
    }
}

bool PhoneSimulator::Open(std::string& error) {
    if (m_wake[0] < 0) {
        error = "pipe: " + std::string(std::strerror(errno));
        return false;
    }
    if (!OpenPort(error)) return false;
    const auto now = Clock::now();
    m_nextStatus = now + std::chrono::milliseconds(m_options.statusIntervalMs);
    m_resumeAt = now;
    return true;
}

void PhoneSimulator::Start() {
    if (m_thread.joinable() || m_port.Fd() < 0) return;
    m_stop = false;
    m_thread = std::thread([this] {
        while (!m_stop) RunOnce(Clock::now() + 1s);
    });
}

void PhoneSimulator::Stop() {
    if (m_thread.joinable()) {
        m_stop = true;
        Wake();
        m_thread.join();
    }
    ClosePort();
}

std::string PhoneSimulator::PcPath() const {
    std::lock_guard lock(m_mutex);
    return m_pcPath;
}

bool PhoneSimulator::OpenPort(std::string& error) {
    const bool opened = m_options.device.empty() ? m_port.OpenPseudoTerminal(error)
                                                 : m_port.OpenDevice(m_options.device, error);
    if (!opened) return false;
    if (!m_options.link.empty() && !MakeSimLink(m_options.link, m_port.PcPath(), error)) {
        m_port.Close();
        return false;
    }
    std::lock_guard lock(m_mutex);
    m_pcPath = m_port.PcPath();
    return true;
}

void PhoneSimulator::ClosePort() {
    if (!m_options.link.empty() && m_port.Fd() >= 0) {
        RemoveSimLink(m_options.link, m_port.PcPath());
    }
    m_port.Close();
    std::lock_guard lock(m_mutex);
    m_pcPath.clear();
}

void PhoneSimulator::Unplug() {
    if (m_unplugged) {
        AddLine("error: unplug: the cable is already out");
        return;
    }
    ClosePort();
    m_unplugged = true;
    m_hungUp = false;
    m_decoder.Reset();
    AddLine("-- unplugged");
}

void PhoneSimulator::Replug() {
    if (!m_unplugged) {
        AddLine("error: replug: the cable is in");
        return;
    }
    std::string error;
    if (!OpenPort(error)) {
        AddLine("error: replug: " + error);
        return;
    }
    m_unplugged = false;
    AddLine("-- replugged: " + m_port.PcPath());
}

void PhoneSimulator::Pump(std::chrono::milliseconds duration) {
    if (m_thread.joinable() || m_port.Fd() < 0) return;
    const auto until = Clock::now() + duration;
    do {
        RunOnce(until);
    } while (Clock::now() < until);
}

void PhoneSimulator::Command(std::string_view line) {
    {
        std::lock_guard lock(m_mutex);
        m_commands.emplace_back(line);
    }
    Wake();
}

void PhoneSimulator::EndOfInput() {
    {
        std::lock_guard lock(m_mutex);
        m_endOfInput = true;
    }
    Wake();
}

bool PhoneSimulator::WaitFinished(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [this] { return m_finished.load(); });
}

std::vector<std::string> PhoneSimulator::Lines() const {
    std::lock_guard lock(m_mutex);
    return {m_lines.begin(), m_lines.end()};
}

size_t PhoneSimulator::LineCount() const {
    std::lock_guard lock(m_mutex);
    return m_linesDropped + m_lines.size();
}

bool PhoneSimulator::WaitForLine(std::string_view line, std::chrono::milliseconds timeout,
                                 size_t from) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return FindLine(line, false, from, nullptr); });
}

// Call with m_mutex held.
bool PhoneSimulator::FindLine(std::string_view text, bool contains, size_t from, size_t* at) const {
    for (size_t i = std::max(from, m_linesDropped); i < m_linesDropped + m_lines.size(); ++i) {
        const std::string& line = m_lines[i - m_linesDropped];
        if (contains ? line.find(text) != std::string::npos : line == text) {
            if (at != nullptr) *at = i;
            return true;
        }
    }
    return false;
}

void PhoneSimulator::AddLine(std::string line) {
    {
        std::lock_guard lock(m_mutex);
        m_lines.push_back(line);
        if (m_lines.size() > kMaxLines) {
            m_lines.pop_front();
            ++m_linesDropped;
        }
    }
    m_changed.notify_all();
    if (m_sink) m_sink(line);
}

void PhoneSimulator::Wake() {
    if (m_wake[1] < 0) return;
    const char byte = 1;
    // A full pipe already holds a wake-up.
    [[maybe_unused]] ssize_t n = ::write(m_wake[1], &byte, 1);
}

void PhoneSimulator::RunOnce(Clock::time_point until) {
    ++m_iterations;
    auto now = Clock::now();
    RunCommands(now);
    {
        std::vector<PcMessage> messages;
        m_decoder.Expire(now, m_phone.State(), messages);
        for (const PcMessage& m : messages) Handle(m_phone.Receive(m), now);
    }
    if (m_options.statusIntervalMs > 0 && now >= m_nextStatus) {
        // One status byte waits for the PC at most: sent faster than the PC
        // polls, they would pile up ahead of the phone's news.
        if (auto status = m_phone.StatusByte();
            status && !m_hungUp && !m_unplugged && m_port.UnreadByPc() <= 0) {
            Queue({*status}, now, true);
        }
        m_nextStatus = now + std::chrono::milliseconds(m_options.statusIntervalMs);
    }
    SendDue(now);
    CheckFinished();

    // Sleep until the next thing to do, or until something arrives.
    auto wake = until;
    if (!m_outputs.empty()) wake = std::min(wake, m_outputs.front().due);
    if (m_options.statusIntervalMs > 0) wake = std::min(wake, m_nextStatus);
    if (auto deadline = m_decoder.Deadline()) wake = std::min(wake, *deadline);
    if (m_expect) wake = std::min(wake, m_expect->deadline);
    if (now < m_resumeAt) wake = std::min(wake, m_resumeAt);
    const bool watching = m_port.FollowsPcOpens() && !m_unplugged;
    if (m_hungUp && !watching) wake = std::min(wake, m_probeAt);

    pollfd fds[3] = {{m_wake[0], POLLIN, 0},
                     {m_port.Fd(), POLLIN, 0},
                     {watching ? m_port.WatchFd() : -1, POLLIN, 0}};
    // While the PC has the port closed the line reports a hang-up at once:
    // leave it out and look again now and then, instead of spinning.
    const nfds_t count = m_unplugged ? 1 : (m_hungUp && !watching ? 1 : 3);
    int ready = ::poll(fds, count, MillisUntil(now, wake));
    if (ready < 0) return;  // EINTR: go round again
    now = Clock::now();
    if (fds[0].revents & POLLIN) {
        char drain[64];
        while (::read(m_wake[0], drain, sizeof drain) > 0) {
        }
    }
    if (m_unplugged) {
        // Nothing to read or probe until the cable is back.
        return;
    }
    if (watching) {
        if (fds[2].revents != 0) FollowPc(now);
    } else if (m_hungUp) {
        ProbeReopen(now);
        return;
    }
    if (fds[1].revents != 0) ReadPort(now, fds[1].revents);
}

void PhoneSimulator::FollowPc(Clock::time_point now) {
    for (bool opened : m_port.ReadPcChanges()) {
        if (!opened) {
            // Whether the PC closed the port or was killed holding it, the
            // line is free for its next open.
            m_port.ReleasePcSide();
            if (!m_hungUp) LineLost(now);
        } else if (m_hungUp) {
            m_hungUp = false;
            AddLine("-- the PC opened the port");
        }
    }
}

void PhoneSimulator::RunCommands(Clock::time_point now) {
    while (!m_quit) {
        if (m_expect) {
            std::unique_lock lock(m_mutex);
            size_t at = 0;
            if (FindLine(m_expect->text, true, m_expectFrom, &at)) {
                m_expectFrom = at + 1;
                m_expect.reset();
            } else if (now >= m_expect->deadline) {
                lock.unlock();
                AddLine("error: expect: no line with \"" + m_expect->text + "\" came");
                m_expect.reset();
            } else {
                return;
            }
        }
        if (now < m_resumeAt) return;
        std::string line;
        {
            std::lock_guard lock(m_mutex);
            if (m_commands.empty()) return;
            line = std::move(m_commands.front());
            m_commands.pop_front();
        }
        Execute(line, now);
        // Written before the next command runs, so the printed lines keep order.
        SendDue(now);
    }
}

void PhoneSimulator::Execute(const std::string& line, Clock::time_point now) {
    SimCommandParse parsed = ParseSimCommand(line);
    if (!parsed.command) {
        if (!parsed.error.empty()) AddLine("error: " + parsed.error);
        return;
    }
    const SimCommand& command = *parsed.command;
    switch (command.kind) {
        case SimCommandKind::Sleep:
            m_resumeAt = now + std::chrono::milliseconds(command.value);
            return;
        case SimCommandKind::Expect:
            m_expect = Expect{command.text, now + kExpectTimeout};
            return;
        case SimCommandKind::Stay:
            m_stay = true;
            return;
        case SimCommandKind::Quit:
            m_quit = true;
            return;
        case SimCommandKind::Unplug:
            Unplug();
            return;
        case SimCommandKind::Replug:
            Replug();
            return;
        default:
            Handle(m_phone.Apply(command), now);
            return;
    }
}

void PhoneSimulator::Handle(const SimOutcome& outcome, Clock::time_point now) {
    // Published before anything shows, so that whoever sees a line or a byte
    // sees the state it led to.
    m_state = m_phone.State();
    for (const std::string& line : outcome.lines) AddLine(line);
    for (const SimSend& send : outcome.sends) {
        Queue(send.bytes, now + std::chrono::milliseconds(send.delayMs), false);
    }
}

void PhoneSimulator::Queue(std::vector<uint8_t> bytes, Clock::time_point due, bool quiet) {
    // Nothing overtakes what was queued before it.
    if (!m_outputs.empty()) due = std::max(due, m_outputs.back().due);
    m_outputs.push_back({due, std::move(bytes), quiet});
}

void PhoneSimulator::SendDue(Clock::time_point now) {
    while (!m_outputs.empty() && m_outputs.front().due <= now) {
        Output output = std::move(m_outputs.front());
        m_outputs.pop_front();
        Write(output);
    }
}

void PhoneSimulator::Write(const Output& output) {
    if (m_hungUp || m_unplugged) {
        // The PC would throw the bytes away when it opens the port again.
        if (!output.quiet) {
            AddLine("-> " + HexBytes(output.bytes) +
                    (m_unplugged ? " (not sent: unplugged)" : " (not sent: port closed)"));
        }
        return;
    }
    size_t done = 0;
    const auto giveUp = Clock::now() + kWriteTimeout;
    while (done < output.bytes.size()) {
        ssize_t n = ::write(m_port.Fd(), output.bytes.data() + done, output.bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        // A status byte that does not fit (no one has read the line for a
        // long time) is simply dropped; the next one comes soon enough.
        if (output.quiet) return;
        if (n < 0 && errno == EAGAIN && Clock::now() < giveUp) {
            pollfd fd = {m_port.Fd(), POLLOUT, 0};
            ::poll(&fd, 1, 50);
            continue;
        }
        AddLine("error: write: " + std::string(n < 0 ? std::strerror(errno) : "nothing written") +
                " (" + std::to_string(output.bytes.size() - done) + " bytes lost)");
        break;
    }
    if (!output.quiet && done > 0) {
        AddLine("-> " + HexBytes({output.bytes.begin(), output.bytes.begin() + done}));
    }
}

void PhoneSimulator::ReadPort(Clock::time_point now, short events) {
    uint8_t buffer[kReadChunk];
    while (true) {
        ssize_t n = ::read(m_port.Fd(), buffer, sizeof buffer);
        if (n > 0) {
            std::vector<PcMessage> messages;
            for (ssize_t i = 0; i < n; ++i) {
                m_decoder.Feed(buffer[i], now, m_phone.State(), messages);
                // Each message may change the state in which the next byte is read.
                for (const PcMessage& m : messages) Handle(m_phone.Receive(m), now);
                messages.clear();
            }
            SendDue(now);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) return;
        // EIO: no one has the slave side open. A read of nothing counts only
        // when the line reports a hang-up (a terminal may read 0 bytes).
        if (n < 0 || (events & (POLLHUP | POLLERR | POLLNVAL))) LineLost(now);
        return;
    }
}

void PhoneSimulator::LineLost(Clock::time_point now) {
    m_hungUp = true;
    m_probeAt = now + kReopenProbe;
    m_decoder.Reset();
    AddLine("-- the PC closed the port");
}

void PhoneSimulator::ProbeReopen(Clock::time_point now) {
    if (now < m_probeAt) return;
    pollfd fd = {m_port.Fd(), POLLIN, 0};
    if (::poll(&fd, 1, 0) >= 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) == 0) {
        m_hungUp = false;
        AddLine("-- the PC opened the port");
        return;
    }
    m_probeAt = now + kReopenProbe;
}

void PhoneSimulator::CheckFinished() {
    if (m_finished || !m_outputs.empty()) return;
    bool done = m_quit;
    if (!done) {
        std::lock_guard lock(m_mutex);
        done = m_endOfInput && !m_stay && m_commands.empty() && !m_expect &&
               Clock::now() >= m_resumeAt;
    }
    if (done) {
        {
            std::lock_guard lock(m_mutex);
            m_finished = true;
        }
        m_changed.notify_all();
    }
}
