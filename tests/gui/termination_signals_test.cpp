// The ending signals as a process sees them: SIGHUP reaches the program as
// SIGTERM does, a signal ignored at the start stays ignored, and a second
// signal ends an ending that is stuck (here: one that never returns to the
// event loop) by that signal, at the latest 7 s after the first.

#include "app/ui/TerminationSignals.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <chrono>
#include <thread>

namespace {

TEST(TerminationSignalsTest, HangUpIsAnEndingSignalUnlessIgnoredAtTheStart) {
    const struct {
        int signal;
        bool ignoredAtStart;
    } cases[] = {{SIGHUP, false}, {SIGTERM, false}, {SIGHUP, true}, {SIGINT, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.signal << (c.ignoredAtStart ? " ignored" : ""));
        struct sigaction before {};
        if (c.ignoredAtStart) ::signal(c.signal, SIG_IGN);
        {
            TerminationSignals watcher;
            QSignalSpy received(&watcher, &TerminationSignals::Received);
            EXPECT_EQ(TerminationSignals::IsHandled(c.signal), !c.ignoredAtStart);
            ::raise(c.signal);  // an ignored one would otherwise end this test
            if (c.ignoredAtStart) {
                QTest::qWait(20);
                EXPECT_EQ(received.count(), 0);
            } else {
                ASSERT_TRUE(received.wait(5000));
                EXPECT_EQ(received.takeFirst().value(0).toInt(), c.signal);
            }
        }
        ::sigaction(c.signal, nullptr, &before);
        EXPECT_EQ(before.sa_handler, c.ignoredAtStart ? SIG_IGN : SIG_DFL);
        ::signal(c.signal, SIG_DFL);
    }
}

// The first signal, then the ending hangs; the second comes after `delay`.
[[noreturn]] void StuckEnding(int second, std::chrono::milliseconds delay) {
    TerminationSignals watcher;
    ::raise(SIGTERM);
    std::this_thread::sleep_for(delay);
    ::raise(second);
    for (;;) ::pause();
}

TEST(TerminationSignalsDeathTest, ASecondSignalEndsAStuckEnding) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // Early: the ending still has its 7 s, then ends. Late: at once.
    EXPECT_EXIT(StuckEnding(SIGINT, std::chrono::milliseconds(0)), testing::KilledBySignal(SIGINT),
                "");
    EXPECT_EXIT(StuckEnding(SIGTERM, std::chrono::milliseconds(7100)),
                testing::KilledBySignal(SIGTERM), "");
}

}  // namespace
