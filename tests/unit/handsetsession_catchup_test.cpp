// The monitoring keeps up with the line: bytes that wait are polled within the
// tick, up to a bound, long fields are read to their end, and an input that
// arrives meanwhile runs before the rest of the queue.

#include <fstream>
#include <future>
#include <random>

#include "handset/LinkThread.h"
#include "support/ScratchDir.h"
#include "unit/HandsetSessionFixture.h"

namespace {

class HandsetSessionCatchUpTest : public HandsetSessionTest {};

Bytes Repeat(size_t count, uint8_t byte) {
    return Bytes(count, byte);
}

Bytes Noise(size_t count) {
    std::mt19937 random(23);
    Bytes out(count);
    for (uint8_t& b : out) b = static_cast<uint8_t>(random());
    return out;
}

const Bytes kRing = Join({{0xA5, 0xE0}, Codes("0312345678"), {0xAA}});

struct CatchUpRow {
    const char* name;
    int state;
    Bytes phone;
    int ticks;
    int nextState;         // -1: whatever the bytes made of it (noise)
    const char* display3;  // nullptr: as before the ticks
    const char* antenna;   // nullptr: as before the ticks
    std::vector<CallEventKind> events;
    ChargeKind charge;  // of the Ended event, when there is one
    size_t bytesLeft;
    uint64_t waitedMs;  // only a poll of an empty line waits
};

TEST_F(HandsetSessionCatchUpTest, WaitingBytesAreCaughtUpWithinTheTick) {
    using K = CallEventKind;
    // clang-format off
    const CatchUpRow rows[] = {
        {"status backlog, then a ring", CALL_IDLE, Join({Repeat(1500, 0xC5), kRing}), 1,
         CALL_RECEIVING, "0312345678", "**", {K::Incoming}, ChargeKind::None, 0, 0},
        {"status backlog: the latest is shown", CALL_IDLE, Join({Repeat(100, 0xC1), {0xC9}}), 1,
         CALL_IDLE, nullptr, "***", {}, ChargeKind::None, 0, 0},
        {"a silent line is polled once", CALL_IDLE, {}, 1, CALL_IDLE, nullptr, "No Connection",
         {}, ChargeKind::None, 0, 540},
        {"a queue longer than the bound", CALL_IDLE, Repeat(5000, 0xC5), 1, CALL_IDLE, nullptr,
         "**", {}, ChargeKind::None, 5000 - MAX_POLLS_PER_TICK, 0},
        {"10 000 digits, then the caller hangs up", CALL_IDLE,
         Join({{0xA5, 0xE0}, Repeat(10000, 0x95), {0xAA, 0xA4, 0xA6}}), 2, CALL_IDLE, "",
         nullptr, {K::Incoming, K::Ended}, ChargeKind::None, 0, 0},
        {"a charge that never ends is none", CALL_ONLINE,
         Join({{0xA6, 0xE2}, Repeat(6000, 0x96)}), 1, CALL_IDLE, "No Charge Info", "",
         {K::Ended}, ChargeKind::None, 0, 0},
        {"noise leaves nothing behind", CALL_IDLE, Noise(3000), 1, -1, nullptr, nullptr, {},
         ChargeKind::None, 0, 0},
    };
    // clang-format on
    Start();
    for (const CatchUpRow& row : rows) {
        SCOPED_TRACE(row.name);
        Given(row.state);
        fake->Incoming(row.phone);
        const uint64_t before = fake->Now();

        for (int tick = 0; tick < row.ticks; ++tick) session->OnTimer();

        EXPECT_EQ(fake->PendingIncoming(), row.bytesLeft);
        // The window is handed the display once a tick at most.
        EXPECT_GT(view.snapshots.size(), 1u);
        EXPECT_LE(view.snapshots.size(), size_t(1 + row.ticks));
        EXPECT_TRUE(fake->written.empty());
        if (row.nextState < 0) continue;
        EXPECT_EQ(fake->Now() - before, row.waitedMs);
        EXPECT_EQ(Shown().callState, row.nextState);
        EXPECT_EQ(Shown().display3, row.display3 ? row.display3 : "0123");
        EXPECT_EQ(Shown().antenna, row.antenna ? row.antenna : "*");
        std::vector<CallEventKind> kinds;
        for (const CallEvent& e : calls.events) kinds.push_back(e.kind);
        EXPECT_EQ(kinds, row.events);
        if (!calls.events.empty() && calls.events.back().kind == K::Ended) {
            EXPECT_EQ(calls.events.back().charge, row.charge);
        }
        // Whatever a row leaves is not the next row's.
        fake->PurgeComm(COMM_PURGE_ALL);
        while (fake->PendingIncoming() > 0) session->OnTimer();
    }
}

// The first poll's lines stay as they are; the reads after it, whose lines
// would all be alike, are one count.
TEST_F(HandsetSessionCatchUpTest, ACatchUpCountsItsReadsInTheCommunicationLog) {
    Start();
    ScratchDir dir;
    session->Link().LogClose();
    ASSERT_TRUE(session->Link().LogOpen(dir.PathOf("comm.log")));
    fake->Incoming(Join({Repeat(1500, 0xC5), kRing}));
    session->OnTimer();
    session->Link().LogClose();
    std::ifstream log(dir.PathOf("comm.log"), std::ios::binary);
    std::vector<std::string> texts;
    for (std::string line; std::getline(log, line) && texts.size() < 3;)
        texts.push_back(line.substr(line.find('\t') + 1));
    EXPECT_EQ(texts, (std::vector<std::string>{"CommReadByte() Success time 1\r",
                                               "OnTimer() Caught Up 1512 Byte(s)\r", "Log End\r"}));
}

// A key pressed while the phone's bytes queue up runs before the rest of them.
TEST_F(HandsetSessionCatchUpTest, AnInputArrivingDuringACatchUpRunsBeforeTheRestOfTheQueue) {
    Start(Settings(0, 0, 10));
    LinkThread thread(*session);
    std::promise<size_t> leftWhenRan;
    calls.onEvent = [&](const CallEvent& event) {
        if (event.kind != CallEventKind::Incoming) return;
        thread.Post([&](HandsetSession&) { leftWhenRan.set_value(fake->PendingIncoming()); });
    };
    // Together less than one tick reads.
    fake->Incoming(Join({Repeat(1000, 0xC5), kRing, Repeat(2000, 0xC5)}));
    thread.Start();
    EXPECT_EQ(leftWhenRan.get_future().get(), 2000u);
    thread.Shutdown({});
    calls.onEvent = nullptr;
}

}  // namespace
