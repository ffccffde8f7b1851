// The link thread: inputs run one at a time in arrival order on the thread,
// Flush waits for them, paused ticks stay paused, and the end of the run cuts
// a long wait short and runs the last step on the thread.

#include "handset/LinkThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <set>
#include <thread>
#include <functional>
#include <vector>

#include "support/FakeCommDevice.h"

namespace {

class LinkThreadTest : public ::testing::Test {
protected:
    LinkThreadTest() {
        auto device = std::make_unique<FakeCommDevice>();
        fake = device.get();
        session = std::make_unique<HandsetSession>(std::move(device));
        thread = std::make_unique<LinkThread>(*session);
    }
    // Whether the port is used within `ms` (read only through the atomic count).
    bool PortUsedWithin(int ms) {
        const uint64_t before = fake->Operations();
        for (int waited = 0; waited < ms; waited += 2) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            if (fake->Operations() != before) return true;
        }
        return false;
    }

    FakeCommDevice* fake = nullptr;
    std::unique_ptr<HandsetSession> session;
    std::unique_ptr<LinkThread> thread;
};

TEST_F(LinkThreadTest, InputsRunInArrivalOrderOnTheLinkThreadAndFlushWaitsForThem) {
    thread->Start();
    std::vector<int> ran;
    std::set<std::thread::id> threads;
    for (int i = 0; i < 50; ++i) {
        thread->Post([&, i](HandsetSession&) {
            ran.push_back(i);
            threads.insert(std::this_thread::get_id());
        });
    }
    thread->Flush();
    ASSERT_EQ(ran.size(), 50u);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(ran[size_t(i)], i);
    EXPECT_EQ(threads, std::set<std::thread::id>{thread->Id()});
}

TEST_F(LinkThreadTest, PausedTicksDoNotRunAndResumedTicksDo) {
    thread->Start();
    thread->PauseTicks();
    thread->Post([](HandsetSession& s) {
        s.m_nMonitorInterval = 10;
        s.StartMonitor();
    });
    thread->Flush();
    EXPECT_FALSE(PortUsedWithin(80));
    thread->ResumeTicks();
    EXPECT_TRUE(PortUsedWithin(5000));
}

TEST_F(LinkThreadTest, TheEndCutsALongWaitShortAndRunsTheLastStepOnTheThread) {
    thread->Start();
    std::promise<void> entered;
    std::promise<void> go;
    std::shared_future<void> released = go.get_future().share();
    uint64_t waitedMs = 99;
    thread->Post([&](HandsetSession& s) {
        CommDevice& port = s.Link().Device();
        port.Open("COM1");
        port.SetCommTimeouts({0, 0, 2000, 0, 0});
        entered.set_value();
        released.wait();
        uint8_t byte = 0;
        uint32_t got = 0;
        const uint64_t before = fake->Now();
        port.ReadFile(&byte, 1, got);
        waitedMs = fake->Now() - before;
    });
    entered.get_future().wait();
    std::thread::id lastRanOn;
    std::thread ender([&] {
        thread->Shutdown([&](HandsetSession& s) {
            lastRanOn = std::this_thread::get_id();
            s.Close();
        });
    });
    while (!thread->Stopping()) std::this_thread::yield();
    go.set_value();
    ender.join();
    // The 2-second wait returned at the moment it began.
    EXPECT_EQ(waitedMs, 0u);
    EXPECT_NE(lastRanOn, std::thread::id());
    EXPECT_NE(lastRanOn, std::this_thread::get_id());
    EXPECT_FALSE(fake->IsOpen());
    // Nothing runs after the end.
    bool ranAfter = false;
    thread->Post([&](HandsetSession&) { ranAfter = true; });
    thread->Flush();
    EXPECT_FALSE(ranAfter);
}

struct Fixture {
    FakeCommDevice* phone = nullptr;
    std::unique_ptr<HandsetSession> session;

    Fixture() {
        auto device = std::make_unique<FakeCommDevice>();
        phone = device.get();
        session = std::make_unique<HandsetSession>(std::move(device));
        session->Link().CommOpen(0);
    }
};

// How long (on the virtual clock) a silent phone keeps each kind of wait,
// with the breaker raised or not.
TEST(WaitBreakerTest, StoppedWaitsReturnAtOnceAndNudgesCutOnlyYieldingPolls) {
    struct Case {
        const char* what;
        bool stop;
        bool nudge;
        std::function<void(CPhoneLink&)> run;
        bool cut;
    };
    char idle[IDLE_BUFFER_SIZE] = {};
    const std::vector<Case> cases = {
        {"answer's wait, stopped", true, false, [](CPhoneLink& l) { l.Answer(); }, true},
        {"idle poll, stopped", true, false, [&](CPhoneLink& l) { l.PollIdle(idle); }, true},
        {"idle poll, nudged", false, true, [&](CPhoneLink& l) { l.PollIdle(idle); }, true},
        {"on-line poll, nudged", false, true, [](CPhoneLink& l) { l.PollOnLine(); }, true},
        {"answer's wait, nudged", false, true, [](CPhoneLink& l) { l.Answer(); }, false},
        {"idle poll, nothing", false, false, [&](CPhoneLink& l) { l.PollIdle(idle); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        WaitBreaker breaker;
        f.phone->SetWaitBreaker(&breaker);
        if (c.stop) breaker.Stop();
        if (c.nudge) breaker.Nudge();
        const uint64_t before = f.phone->Now();
        c.run(f.session->Link());
        EXPECT_EQ(f.phone->Now() == before, c.cut) << "took " << f.phone->Now() - before;
        f.phone->SetWaitBreaker(nullptr);
    }
}

TEST(WaitBreakerTest, APollThatHasBegunToReceiveIsNotCut) {
    Fixture f;
    WaitBreaker breaker;
    f.phone->SetWaitBreaker(&breaker);
    // An incoming call whose number trickles in after the first byte.
    f.phone->Incoming({0xA5});
    f.phone->Incoming({0xE0, 0x91, 0x92}, 50);
    f.phone->Incoming({0xAA}, 400);
    breaker.Nudge();
    char idle[IDLE_BUFFER_SIZE] = {};
    EXPECT_EQ(f.session->Link().PollIdle(idle), 1);
    EXPECT_STREQ(idle, "12");
    f.phone->SetWaitBreaker(nullptr);
}

}  // namespace
