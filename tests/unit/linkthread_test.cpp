// The link thread: inputs in arrival order, one at a time, ticks paused and
// resumed, and the end of the run cutting every wait short; and the device
// waits the wait breaker cuts, on the fake's virtual clock.

#include "handset/LinkThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <vector>

#include "support/FakeCommDevice.h"

namespace {

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

TEST(LinkThreadTest, InputsRunInArrivalOrderOnTheLinkThread) {
    Fixture f;
    LinkThread thread(*f.session);
    thread.Start();
    std::vector<int> ran;
    std::atomic<int> onOtherThread{0};
    const auto caller = std::this_thread::get_id();
    for (int i = 0; i < 20; ++i) {
        thread.Post([&, i](HandsetSession&) {
            ran.push_back(i);
            if (std::this_thread::get_id() != caller) ++onOtherThread;
        });
    }
    thread.Flush();
    std::vector<int> expected(20);
    for (int i = 0; i < 20; ++i) expected[i] = i;
    EXPECT_EQ(ran, expected);
    EXPECT_EQ(onOtherThread.load(), 20);
}

TEST(LinkThreadTest, ShutdownRunsTheLastStepOnTheLinkThreadOnce) {
    Fixture f;
    LinkThread thread(*f.session);
    thread.Start();
    const auto linkId = thread.Id();
    int lastRuns = 0;
    bool onLink = false;
    thread.Shutdown([&](HandsetSession& session) {
        ++lastRuns;
        onLink = std::this_thread::get_id() == linkId;
        session.Close();
    });
    thread.Shutdown([&](HandsetSession&) { ++lastRuns; });
    EXPECT_EQ(lastRuns, 1);
    EXPECT_TRUE(onLink);
    EXPECT_FALSE(f.phone->IsOpen());
    // Nothing runs after the end.
    bool ranLate = false;
    thread.Post([&](HandsetSession&) { ranLate = true; });
    EXPECT_FALSE(ranLate);
}

TEST(LinkThreadTest, TicksRunWhileMonitoringAndStopWhilePaused) {
    Fixture f;
    f.session->m_nMonitorInterval = 10;
    LinkThread thread(*f.session);
    thread.Start();
    thread.Post([](HandsetSession& session) { session.StartMonitor(); });
    // A silent phone: every tick reads; wait until some have run.
    auto reads = [&] {
        int n = 0;
        thread.Post([&](HandsetSession&) { n = f.phone->CallCount(FakeOp::ReadFile); });
        thread.Flush();
        return n;
    };
    for (int i = 0; i < 500 && reads() < 3; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GE(reads(), 3);

    thread.PauseTicks();
    thread.Flush();
    const int paused = reads();
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(reads(), paused);
    thread.ResumeTicks();
    for (int i = 0; i < 500 && reads() == paused; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_GT(reads(), paused);
}

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
