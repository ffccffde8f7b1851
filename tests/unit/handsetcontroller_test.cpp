// The handset's running without a window: the idle guard's answers and the
// bounded end of the run, with the window's thread played by the test.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>

#include "handset/HandsetController.h"
#include "support/FakeCommDevice.h"
#include "support/HangGuard.h"
#include "support/RecordingView.h"
#include "support/ScratchDir.h"
#include "support/SessionAccess.h"

namespace {

using Clock = std::chrono::steady_clock;

// The window's thread: what is posted waits until the test runs it, or
// until the controller runs the window's events at the end.
class QueueDispatcher final : public UiDispatcher {
public:
    void Post(std::function<void()> fn) override {
        std::lock_guard lock(m_lock);
        m_queue.push_back(std::move(fn));
        m_posted.notify_all();
    }
    void RunEvents(std::chrono::milliseconds most) override {
        const Clock::time_point until = Clock::now() + most;
        m_running = true;
        m_stop = false;
        while (!m_stop && RunOne(until)) {
        }
        m_running = false;
    }
    void StopEvents() override {
        if (m_running) m_stop = true;
    }
    // Runs what has been posted so far.
    void RunPosted() {
        while (RunOne(Clock::now())) {
        }
    }

private:
    bool RunOne(Clock::time_point until) {
        std::unique_lock lock(m_lock);
        if (!m_posted.wait_until(lock, until, [this] { return !m_queue.empty(); })) return false;
        std::function<void()> fn = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        fn();
        return true;
    }

    std::mutex m_lock;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_queue;
    bool m_running = false;
    bool m_stop = false;
};

class HandsetControllerTest : public ::testing::Test {
protected:
    HandsetControllerTest()
        : controller(view, ui, [this](std::shared_ptr<const PortPaths>) {
              auto device = std::make_unique<FakeCommDevice>();
              fake = device.get();
              return device;
          }) {}

    void Start() {
        controller.Start(ConnectionSettings{0, 0, 0, 250, {}}, dir.PathOf("history.db"));
    }
    // Everything the link has been asked so far has run, and the window has
    // taken what it reported.
    void Flush() {
        controller.Thread().Flush();
        ui.RunPosted();
    }
    ScratchDir dir;
    RecordingView view;
    QueueDispatcher ui;
    FakeCommDevice* fake = nullptr;
    HandsetController controller;
};

}  // namespace

TEST_F(HandsetControllerTest, TheIdleGuardAnswersAfterWhatWasPostedAndNotOnceTheRunEnded) {
    struct Row {
        const char* what;
        bool onCall;
        bool ended;
        int answers;
        bool idle;
    } rows[] = {
        {"idle", false, false, 1, true},
        {"a call goes on", true, false, 1, false},
        {"the window's run has ended", false, true, 0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        HandsetController local(view, ui, [](std::shared_ptr<const PortPaths>) {
            return std::make_unique<FakeCommDevice>();
        });
        local.Start(ConnectionSettings{0, 0, 0, 250, {}}, dir.PathOf("history.db"));
        // No tick changes the state meanwhile.
        local.PauseMonitor();
        // The state the guard sees is the one after the inputs already posted.
        if (row.onCall) local.Post([](HandsetSession& s) { TestState(s).callState = CALL_ONLINE; });
        int answers = 0;
        bool idle = false;
        local.AskIdle([&](bool answer) {
            ++answers;
            idle = answer;
        });
        if (row.ended) local.MarkEnded();
        local.Thread().Flush();
        ui.RunPosted();
        EXPECT_EQ(answers, row.answers);
        EXPECT_EQ(idle, row.idle);
        local.End();
        ui.RunPosted();
    }
}

TEST_F(HandsetControllerTest, TheEndIsBoundedAndALinkStuckInAnOpenIsLeftBehind) {
    const long bound = HandsetController::kEndBoundMs;
    const long grace = HandsetController::kEndGraceMs;
    // Generous: the machine may be busy; the bound is what a user waits.
    const long slack = 2000;
    struct Row {
        const char* what;
        bool stuck;
        bool secondRequest;
        bool abandoned;
        long atLeastMs;
        long atMostMs;
    } rows[] = {
        {"an idle link ends at once", false, false, false, 0, slack},
        {"a stuck open is waited for to the bound and its grace", true, false, true, bound + grace,
         bound + grace + slack},
        {"a second quit request leaves only the grace", true, true, true, grace, grace + slack},
    };
    HangGuard guard(60);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::promise<void> release;
        std::shared_future<void> released = release.get_future().share();
        std::promise<void> opening;
        HandsetController local(view, ui, [&](std::shared_ptr<const PortPaths>) {
            auto device = std::make_unique<FakeCommDevice>();
            fake = device.get();
            if (row.stuck) {
                // An open that no breaker reaches.
                device->beforeOpen = [released, &opening](const std::string&) {
                    opening.set_value();
                    released.wait();
                    return true;
                };
            }
            return device;
        });
        local.Start(ConnectionSettings{0, 0, 0, 250, {}}, dir.PathOf("history.db"));
        if (row.stuck) {
            opening.get_future().wait();
        } else {
            local.Thread().Flush();
            ui.RunPosted();
        }
        // A signal's request, taken among the window's events while it ends.
        if (row.secondRequest) ui.Post([&] { local.CutEndingShort(); });
        const Clock::time_point began = Clock::now();
        local.End();
        const long took = long(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - began).count());
        EXPECT_EQ(local.LinkAbandoned(), row.abandoned);
        EXPECT_GE(took, row.atLeastMs);
        EXPECT_LE(took, row.atMostMs);
        // Freed, the stuck open returns and the thread ends.
        release.set_value();
        local.Thread().AwaitEnd(std::chrono::seconds(10));
        EXPECT_FALSE(fake->IsOpen());
        ui.RunPosted();
    }
}

TEST_F(HandsetControllerTest, TwoRequestsBeforeTheEndStillCloseThePort) {
    Start();
    Flush();
    ASSERT_TRUE(fake->IsOpen());
    controller.CutEndingShort();
    controller.End();
    EXPECT_FALSE(controller.LinkAbandoned());
    EXPECT_FALSE(fake->IsOpen());
}
