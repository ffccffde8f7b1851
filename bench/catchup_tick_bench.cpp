// A monitoring tick that catches up a receive queue full of the phone's
// status bytes on a pseudo-terminal, and one on a line with nothing waiting
// beyond its poll: what a tick costs on a line that never stops sending, and
// what the catch-up adds to a tick on a quiet one.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "handset/HandsetSession.h"
#include "platform/posix/PosixCommDevice.h"
#include "support/PhonePty.h"
#include "support/ScratchDir.h"

namespace {

struct PtySession {
    PhonePty phone;
    ScratchDir locks;
    HandsetSession session;

    PtySession()
        : session(std::make_unique<PosixCommDevice>(
              [this](const std::string&) { return phone.SlavePath(); }, locks.Path())) {
        session.Start(ConnectionSettings{0, 0, 0, 250, {}});
        phone.Received();  // the start-up hang-up
    }
    // The phone sends `bytes`; back once the port has queued them all.
    void Queue(const std::vector<uint8_t>& bytes) {
        phone.Send(bytes);
        while (session.Link().WaitingBytes() < bytes.size()) {
        }
    }
};

// A pseudo-terminal's line discipline holds 4095 bytes.
constexpr size_t kFullQueue = 4000;

void BM_TickCatchingUpAFullQueue(benchmark::State& state) {
    PtySession line;
    const std::vector<uint8_t> backlog(kFullQueue, 0xC5);
    for (auto _ : state) {
        state.PauseTiming();
        line.Queue(backlog);
        state.ResumeTiming();
        line.session.OnTimer();
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * int64_t(kFullQueue));
}
BENCHMARK(BM_TickCatchingUpAFullQueue)->Unit(benchmark::kMillisecond);

void BM_TickWithOneStatusByte(benchmark::State& state) {
    PtySession line;
    for (auto _ : state) {
        state.PauseTiming();
        line.Queue({0xC5});
        state.ResumeTiming();
        line.session.OnTimer();
    }
}
BENCHMARK(BM_TickWithOneStatusByte)->Unit(benchmark::kMicrosecond);

}  // namespace
