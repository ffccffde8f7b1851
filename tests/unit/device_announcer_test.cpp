// The wait between reconnection tries: an announcement ends it with "a
// device came", the breaker's stop or nudge ends it early, else it lasts
// its limit.

#include "platform/DeviceAnnouncer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "platform/WaitBreaker.h"

namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

TEST(DeviceAnnouncerTest, AnAnnouncementOrTheBreakerEndsTheWait) {
    struct Case {
        const char* what;
        std::function<void(ToldDeviceAnnouncer&, WaitBreaker&)> before;
        bool announced;
    };
    const Case cases[] = {
        {"an announcement", [](ToldDeviceAnnouncer& a, WaitBreaker&) { a.Announce(); }, true},
        {"two announcements are one",
         [](ToldDeviceAnnouncer& a, WaitBreaker&) { a.Announce(), a.Announce(); }, true},
        {"the stop", [](ToldDeviceAnnouncer&, WaitBreaker& b) { b.Stop(); }, false},
        {"a nudge", [](ToldDeviceAnnouncer&, WaitBreaker& b) { b.Nudge(); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ToldDeviceAnnouncer announcer;
        WaitBreaker breaker;
        c.before(announcer, breaker);
        const auto start = Clock::now();
        EXPECT_EQ(announcer.Wait(breaker, milliseconds(60000)), c.announced);
        // Far below the limit: the wait did not sit it out.
        EXPECT_LT(Clock::now() - start, milliseconds(30000));
        // What was announced is taken: the next wait lasts its limit.
        breaker.Settle();
        if (!breaker.Stopped()) {
            EXPECT_FALSE(announcer.Wait(breaker, milliseconds(10)));
        }
    }
}

TEST(DeviceAnnouncerTest, WithoutWordTheSystemsWaitLastsItsLimit) {
    WaitBreaker breaker;
    const auto start = Clock::now();
    EXPECT_FALSE(SystemDeviceAnnouncer()->Wait(breaker, milliseconds(50)));
    EXPECT_GE(Clock::now() - start, milliseconds(45));
}

}  // namespace
