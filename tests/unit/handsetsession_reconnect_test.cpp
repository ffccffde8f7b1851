// A cable pulled while the handset runs: the port closed, "No Connection",
// idle again with a call in progress over, and the port opened again once the
// device is back.

#include "HandsetSessionFixture.h"

namespace {

TEST_F(HandsetSessionTest, APulledCableEndsTheCallShowsNoConnectionAndComesBack) {
    const int states[] = {CALL_IDLE, CALL_OFFHOOK, CALL_RECEIVING, CALL_ONLINE, CALL_HOLDING};
    for (int state : states) {
        SCOPED_TRACE(state);
        SetUp();
        Start();
        Given(state);
        fake->Unplug();
        session->OnTimer();
        session->CheckLink();
        EXPECT_TRUE(session->LinkLost());
        EXPECT_FALSE(fake->IsOpen());
        EXPECT_EQ(Shown().callState, CALL_IDLE);
        EXPECT_EQ(Shown().antenna, "No Connection");
        EXPECT_EQ(Shown().display3, "");
        EXPECT_EQ(Shown().picture, 1);
        // A call in progress is over, ended by the pulled cable.
        if (state == CALL_IDLE) {
            EXPECT_TRUE(calls.events.empty());
        } else {
            ASSERT_EQ(calls.events.size(), 1u);
            EXPECT_EQ(calls.events[0].kind, CallEventKind::Ended);
            EXPECT_EQ(calls.events[0].endedBy, CallEndedBy::LinkLost);
        }
        // Checking again changes nothing; tries fail until the device is back.
        session->CheckLink();
        EXPECT_EQ(calls.events.size(), state == CALL_IDLE ? 0u : 1u);
        EXPECT_FALSE(session->TryReconnect());
        fake->Replug();
        EXPECT_TRUE(session->TryReconnect());
        EXPECT_FALSE(session->LinkLost());
        EXPECT_TRUE(fake->IsOpen());
        TearDown();
    }
}

}  // namespace
