// The link thread: inputs run one at a time in arrival order on the thread,
// Flush waits for them, paused ticks stay paused, and the end of the run cuts
// a long wait short and runs the last step on the thread.

#include "handset/LinkThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <set>
#include <thread>
#include <vector>

#include "HandsetSessionFixture.h"
#include "handset/SkinButtons.h"
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
        TestState(s).monitorInterval = 10;
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

// The session on the real link thread, with its recording view and call log.
class LinkThreadSessionTest : public HandsetSessionTest {
protected:
    void SetUp() override {
        // A table's row starts anew: the last row's thread goes first.
        CloseThread();
        HandsetSessionTest::SetUp();
        Start();
        thread = std::make_unique<LinkThread>(*session);
        // Only an announcement starts a try after the first one fails.
        auto announcer = std::make_unique<ToldDeviceAnnouncer>();
        m_announcer = announcer.get();
        thread->SetDeviceAnnouncer(std::move(announcer), std::chrono::hours(1));
    }
    void TearDown() override {
        CloseThread();
        HandsetSessionTest::TearDown();
    }
    void CloseThread() {
        thread.reset();
        m_announcer = nullptr;
    }
    void AnnounceDevice() { m_announcer->Announce(); }
    // What `read` answers on the link thread, once it has run.
    template <class T>
    T OnLink(std::function<T(HandsetSession&)> read) {
        T value{};
        thread->Post([&](HandsetSession& s) { value = read(s); });
        thread->Flush();
        return value;
    }
    // Waits (asking the link thread) until `done` holds; false if it never does.
    bool Eventually(std::function<bool(HandsetSession&)> done) {
        for (int i = 0; i < 5000; ++i) {
            if (OnLink<bool>(done)) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }
    // Pulls the cable and waits until the first try (made at once) has
    // failed, so that what a test posts next meets the hour-long wait.
    void LoseLinkOnThread() {
        thread->Start();
        const int opens = OnLink<int>([this](HandsetSession&) {
            fake->Unplug();
            return fake->CallCount(FakeOp::Open);
        });
        ASSERT_TRUE(Eventually([&](HandsetSession& s) {
            return s.LinkLost() && fake->CallCount(FakeOp::Open) > opens;
        }));
    }
    static void Close(HandsetSession& s) { s.Close(); }

    std::unique_ptr<LinkThread> thread;

private:
    ToldDeviceAnnouncer* m_announcer = nullptr;
};

TEST_F(LinkThreadSessionTest, TheEndRunsWhatWasAskedAndASecondRequestCutsItShort) {
    // Cut short first (two quit requests before the end began): the port is
    // still closed, on the thread or, once it has ended, by the caller.
    enum class End { BehindABusyInput, DuringTheHangUp, CutShort, CutFirst, CutFirstAndEnded };
    struct Row {
        const char* what;
        End end;
        bool charged;
    } rows[] = {
        {"end queued behind a busy input, then quit", End::BehindABusyInput, true},
        {"quit while the hang-up waits for its charge", End::DuringTheHangUp, true},
        {"quit twice", End::CutShort, false},
        {"cut short before the end began", End::CutFirst, false},
        {"cut short and ended before the end began", End::CutFirstAndEnded, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        Given(CALL_ONLINE);
        fake->Incoming(ChargeReply("80"), 100);
        if (row.end == End::DuringTheHangUp)
            fake->At(fake->Now() + 50, [this] { thread->Finish(&Close); });
        thread->Start();
        std::promise<void> busy;
        std::promise<void> release;
        thread->Post([&](HandsetSession&) {
            busy.set_value();
            release.get_future().wait();
        });
        busy.get_future().wait();
        thread->Post([](HandsetSession& s) { s.OnButton(BTN_QUIT); });
        if (row.end == End::CutFirst || row.end == End::CutFirstAndEnded) thread->CutShort();
        if (row.end == End::CutFirstAndEnded) {
            release.set_value();
            while (!thread->Ended()) std::this_thread::yield();
        }
        if (row.end != End::DuringTheHangUp) thread->Finish(&Close);
        if (row.end == End::CutShort) thread->CutShort();
        if (row.end != End::CutFirstAndEnded) release.set_value();
        thread->AwaitEnd(std::chrono::seconds(5));
        EXPECT_FALSE(fake->IsOpen());
        if (row.charged) {
            ASSERT_EQ(calls.events.size(), 1u);
            EXPECT_EQ(calls.events[0].endedBy, CallEndedBy::User);
            EXPECT_EQ(calls.events[0].charge, ChargeKind::Yen);
            EXPECT_EQ(calls.events[0].chargeYen, 80);
            EXPECT_EQ(Shown().display3, "Charge \\80");
        } else {
            // No hang-up went out: the close ends the call for the history
            // only, without a charge.
            ASSERT_EQ(calls.events.size(), 1u);
            EXPECT_EQ(calls.events[0].kind, CallEventKind::Ended);
            EXPECT_EQ(calls.events[0].charge, ChargeKind::None);
            EXPECT_TRUE(fake->writes.empty());
        }
        TearDown();
    }
}

// The port's opening is nobody's request: quitting does not wait for a
// silent phone's handshake (about ten seconds).
TEST_F(LinkThreadSessionTest, QuittingDuringThePortsOpeningCutsItShort) {
    thread->Start();
    uint64_t openedFor = 0;
    thread->Post([&](HandsetSession& s) {
        s.Close();
        const uint64_t before = fake->Now();
        fake->At(before + 100, [this] { thread->Finish(&Close); });
        s.Start(ConnectionSettings{0, 2, 0, 250, {}});
        openedFor = fake->Now() - before;
    });
    thread->AwaitEnd(std::chrono::seconds(5));
    EXPECT_LT(openedFor, 1000u);
    EXPECT_FALSE(fake->IsOpen());
}

TEST_F(LinkThreadSessionTest, ALostLinkTakesInputsAndComesBackWhenADeviceIsAnnounced) {
    LoseLinkOnThread();
    thread->Post([](HandsetSession& s) { s.OnButton(BTN_SEND); });
    thread->Post([this](HandsetSession&) { fake->Replug(); });
    const int opens =
        OnLink<int>([this](HandsetSession&) { return fake->CallCount(FakeOp::Open); });
    // Send on the dead line began nothing.
    EXPECT_TRUE(OnLink<bool>([](HandsetSession& s) { return s.IsIdle() && s.LinkLost(); }));
    EXPECT_TRUE(OnLink<bool>([this](HandsetSession&) { return fake->writes.empty(); }));
    EXPECT_TRUE(calls.events.empty());
    // The device is back, but the next try is an hour away: the
    // announcement brings it forward.
    AnnounceDevice();
    ASSERT_TRUE(Eventually([](HandsetSession& s) { return !s.LinkLost(); }));
    EXPECT_EQ(OnLink<int>([this](HandsetSession&) { return fake->CallCount(FakeOp::Open); }),
              opens + 1);
    EXPECT_TRUE(OnLink<bool>([](HandsetSession& s) { return s.IsMonitoring(); }));
    // The ticks poll the phone again.
    const uint64_t before = fake->Operations();
    ASSERT_TRUE(Eventually([&](HandsetSession&) { return fake->Operations() > before + 10; }));
}

TEST_F(LinkThreadSessionTest, AnInputDuringAReconnectionTryRunsWithinOnePollsTime) {
    // A silent poll's wait: what an input waits for at most while monitoring.
    constexpr uint64_t kOnePollMs = 540;
    LoseLinkOnThread();
    std::atomic<uint64_t> ranAt{0};
    std::atomic<int> opensWhenRan{0};
    std::atomic<int> opensAfter{0};
    const uint64_t inputAt = OnLink<uint64_t>([&](HandsetSession& s) {
        // A data cable whose adapter is back and whose phone is silent: a
        // try's handshake waits about ten seconds.
        s.Link().m_cable = 2;
        fake->Replug();
        const uint64_t at = fake->Now() + 3000;
        fake->At(at, [&] {
            thread->Post([&](HandsetSession&) {
                ranAt = fake->Now();
                opensWhenRan = fake->CallCount(FakeOp::Open);
            });
        });
        // Later on the same clock: the try that follows the input.
        fake->At(at + 100, [&] { opensAfter = fake->CallCount(FakeOp::Open); });
        return at;
    });
    AnnounceDevice();
    // Barriers only: they do not disturb the try.
    for (int i = 0; i < 1000 && opensAfter == 0; ++i) thread->Flush();
    ASSERT_NE(ranAt.load(), 0u);
    EXPECT_LE(ranAt - inputAt, kOnePollMs);
    // The try gave way to the input, then started again from the beginning.
    EXPECT_EQ(opensAfter, opensWhenRan + 1);
    EXPECT_TRUE(OnLink<bool>([](HandsetSession& s) { return s.LinkLost(); }));
}

TEST_F(LinkThreadSessionTest, TheClockGoesOnWhileLost) {
    LoseLinkOnThread();
    const std::string before =
        OnLink<std::string>([](HandsetSession& s) { return TestState(s).display1; });
    // The minute changes; the session's clock is read on the link thread only.
    thread->Post([this](HandsetSession&) { now = FixedTime(9); });
    ASSERT_TRUE(Eventually([&](HandsetSession& s) { return TestState(s).display1 != before; }));
    EXPECT_EQ(OnLink<std::string>([](HandsetSession& s) { return TestState(s).display1; }),
              "03/05(Tue) 09:09");
}

TEST_F(LinkThreadSessionTest, AWaitingInputRunsBeforeADueTick) {
    thread->Start();
    thread->Post([](HandsetSession& s) {
        TestState(s).monitorInterval = MIN_TIMER_PERIOD;
        s.StartMonitor();
    });
    thread->Flush();
    // A busy input: a tick falls due meanwhile, and only then the next input
    // arrives. It runs before the tick all the same.
    std::vector<size_t> portCallsBefore;
    thread->Post([&](HandsetSession&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * MIN_TIMER_PERIOD));
        thread->Post([&](HandsetSession&) { portCallsBefore.push_back(fake->calls.size()); });
        fake->ClearRecord();
    });
    // The second barrier comes after the input posted meanwhile.
    thread->Flush();
    thread->Flush();
    ASSERT_EQ(portCallsBefore.size(), 1u);
    EXPECT_EQ(portCallsBefore[0], 0u) << "a tick ran before the input";
}

}  // namespace
