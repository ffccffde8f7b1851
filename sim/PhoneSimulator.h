#pragma once
// The simulated phone on its end of a line: a SimPhone behind a SimPort. It
// reads what the PC writes, prints it decoded, answers it, runs commands in
// order (with their pauses), and sends the periodic status byte. It runs in a
// thread of its own (Start) or on the caller's thread (Pump).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/SimPhone.h"
#include "sim/SimPort.h"
#include "sim/WireDecoder.h"

struct PhoneSimulatorOptions {
    std::string device;  // empty: a new pseudo-terminal
    std::string link;    // a symbolic link made to the port's path; empty: none
    int cable = 0;       // whose handshake to answer
    // Often enough that every poll of the PC finds one; 0: none.
    int statusIntervalMs = 100;
    bool stay = false;  // keep running after the end of the input
};

class PhoneSimulator {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kExpectTimeout{30000};
    // While the PC has the port closed, how often to look whether it is back.
    static constexpr std::chrono::milliseconds kReopenProbe{100};
    static constexpr size_t kMaxLines = 10000;

    explicit PhoneSimulator(PhoneSimulatorOptions options = {});
    ~PhoneSimulator();
    PhoneSimulator(const PhoneSimulator&) = delete;
    PhoneSimulator& operator=(const PhoneSimulator&) = delete;

    // Opens the port and makes the link, if any.
    bool Open(std::string& error);
    // The path the PC opens: the pseudo-terminal's slave side, or the device;
    // empty while unplugged. Thread-safe.
    std::string PcPath() const;

    // Runs the phone in its own thread until Stop.
    void Start();
    // Ends the thread, closes the line (the PC then sees the phone vanish)
    // and removes the link.
    void Stop();
    // Runs the phone on the calling thread for `duration` (when not started).
    void Pump(std::chrono::milliseconds duration);

    // Queues one command line; thread-safe. Commands run in order.
    void Command(std::string_view line);
    // No more commands will come: the phone finishes once the queue is done,
    // unless it was told to stay.
    void EndOfInput();
    // "quit" ran, or the input ended and every command has run.
    bool Finished() const { return m_finished; }
    bool WaitFinished(std::chrono::milliseconds timeout);

    // Every line printed so far (the last kMaxLines of them).
    std::vector<std::string> Lines() const;
    // How many lines were printed since the start; a position for WaitForLine.
    size_t LineCount() const;
    // Waits for a line equal to `line`, printed at position `from` or later.
    bool WaitForLine(std::string_view line, std::chrono::milliseconds timeout, size_t from = 0);
    // Receives each line as it is printed, on the phone's thread. Set it
    // before Start.
    void SetLineSink(std::function<void(const std::string&)> sink) { m_sink = std::move(sink); }

    SimCallState State() const { return m_state.load(); }
    // Turns of the loop so far; a loop that spins shows in it.
    uint64_t LoopIterations() const { return m_iterations.load(); }

private:
    struct Output {
        Clock::time_point due;
        std::vector<uint8_t> bytes;
        bool quiet = false;  // the periodic status byte is not printed
    };
    struct Expect {
        std::string text;
        Clock::time_point deadline;
    };

    void RunOnce(Clock::time_point until);
    void RunCommands(Clock::time_point now);
    void Execute(const std::string& line, Clock::time_point now);
    void Handle(const SimOutcome& outcome, Clock::time_point now);
    void Queue(std::vector<uint8_t> bytes, Clock::time_point due, bool quiet);
    void SendDue(Clock::time_point now);
    void Write(const Output& output);
    void ReadPort(Clock::time_point now, short events);
    void ProbeReopen(Clock::time_point now);
    // Takes in the PC's opens and closes of a pseudo-terminal's side.
    void FollowPc(Clock::time_point now);
    bool OpenPort(std::string& error);
    void ClosePort();
    void Unplug();
    void Replug();
    void LineLost(Clock::time_point now);
    void CheckFinished();
    void AddLine(std::string line);
    bool FindLine(std::string_view text, bool contains, size_t from, size_t* at) const;
    void Wake();

    PhoneSimulatorOptions m_options;
    SimPort m_port;
    SimPhone m_phone;
    WireDecoder m_decoder;
    std::function<void(const std::string&)> m_sink;

    // The loop's own state (one thread at a time).
    std::deque<Output> m_outputs;
    Clock::time_point m_nextStatus{};
    Clock::time_point m_resumeAt{};
    std::optional<Expect> m_expect;
    size_t m_expectFrom = 0;
    bool m_stay = false;
    bool m_quit = false;
    bool m_hungUp = false;
    bool m_unplugged = false;
    Clock::time_point m_probeAt{};

    // Shared with the callers.
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_commands;
    std::string m_pcPath;
    bool m_endOfInput = false;
    std::deque<std::string> m_lines;
    size_t m_linesDropped = 0;
    std::atomic<bool> m_finished{false};
    std::atomic<bool> m_stop{false};
    std::atomic<SimCallState> m_state{SimCallState::Idle};
    std::atomic<uint64_t> m_iterations{0};
    int m_wake[2] = {-1, -1};
    std::thread m_thread;
};
