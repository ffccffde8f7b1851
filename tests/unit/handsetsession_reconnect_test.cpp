// A cable pulled while the handset runs: the port closed, "No Connection",
// idle again with a call in progress over, nothing sent to the phone until
// the port is open again, the clock going on, and the port opened again by a
// try (which gives way to an input) or by the settings loop (which no try
// then disturbs).

#include "HandsetSessionFixture.h"
#include "handset/SkinButtons.h"

namespace {

class LostLinkTest : public HandsetSessionTest {
protected:
    // Started, then the cable pulled in `state`, found by a tick.
    void LoseLink(int state) {
        Start();
        Given(state);
        fake->Unplug();
        session->OnTimer();
        session->CheckLink();
        ASSERT_TRUE(session->LinkLost());
        calls.events.clear();
        fake->ClearRecord();
        opens = fake->CallCount(FakeOp::Open);
        closes = fake->CallCount(FakeOp::Close);
    }
    int Opened() const { return fake->CallCount(FakeOp::Open) - opens; }
    int Closed() const { return fake->CallCount(FakeOp::Close) - closes; }

    int opens = 0;
    int closes = 0;
};

TEST_F(LostLinkTest, APulledCableEndsTheCallShowsNoConnectionAndComesBack) {
    const int states[] = {CALL_IDLE, CALL_OFFHOOK, CALL_RECEIVING, CALL_ONLINE, CALL_HOLDING};
    for (int state : states) {
        SCOPED_TRACE(state);
        SetUp();
        Start();
        Given(state, state != CALL_IDLE);
        fake->Unplug();
        session->OnTimer();
        session->CheckLink();
        EXPECT_TRUE(session->LinkLost());
        EXPECT_FALSE(fake->IsOpen());
        EXPECT_EQ(Shown().callState, CALL_IDLE);
        EXPECT_EQ(Shown().antenna, "No Connection");
        EXPECT_EQ(Shown().display1, "03/05(Tue) 09:07");
        // An idle handset keeps the number being typed (or the charge on
        // show); a call in progress is over, ended by the pulled cable.
        if (state == CALL_IDLE) {
            EXPECT_EQ(Shown().display3, "0123");
            EXPECT_FALSE(TestState(*session).appendDigits);
            EXPECT_TRUE(calls.events.empty());
        } else {
            EXPECT_EQ(Shown().display3, "");
            EXPECT_EQ(Shown().picture, 1);
            ASSERT_EQ(calls.events.size(), 1u);
            EXPECT_EQ(calls.events[0].kind, CallEventKind::Ended);
            EXPECT_EQ(calls.events[0].endedBy, CallEndedBy::LinkLost);
        }
        // Checking again changes nothing; tries fail until the device is back.
        session->CheckLink();
        EXPECT_EQ(calls.events.size(), state == CALL_IDLE ? 0u : 1u);
        EXPECT_EQ(session->TryReconnect(), ReconnectTry::Failed);
        fake->Replug();
        EXPECT_EQ(session->TryReconnect(), ReconnectTry::Opened);
        EXPECT_FALSE(session->LinkLost());
        EXPECT_TRUE(fake->IsOpen());
        TearDown();
    }
}

TEST_F(LostLinkTest, WhileLostNothingReachesThePhoneAndNoCallBegins) {
    struct Row {
        const char* what;
        std::function<void(HandsetSession&)> input;
        const char* display3;
    } rows[] = {
        {"send", [](HandsetSession& s) { s.OnButton(BTN_SEND); }, "0123"},
        {"a dial key", [](HandsetSession& s) { s.OnButton(5); }, "01235"},
        {"the pad's key", [](HandsetSession& s) { s.SendKey("#"); }, "0123"},
        {"end", [](HandsetSession& s) { s.OnButton(BTN_QUIT); }, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        LoseLink(CALL_IDLE);
        TestState(*session).appendDigits = true;
        TestState(*session).antenna = "";
        row.input(*session);
        EXPECT_TRUE(fake->writes.empty());
        EXPECT_EQ(Opened(), 0);
        EXPECT_TRUE(calls.events.empty());
        EXPECT_EQ(Shown().callState, CALL_IDLE);
        EXPECT_EQ(Shown().antenna, "No Connection");
        EXPECT_EQ(Shown().display3, row.display3);
        TearDown();
    }
}

TEST_F(LostLinkTest, SettingsWhileLostKeepTheirPortOpenAndTheTicksGoOn) {
    LoseLink(CALL_IDLE);
    fake->Replug();
    view.settingsAnswers = {Settings()};
    session->OnSettings();
    EXPECT_FALSE(session->LinkLost());
    EXPECT_TRUE(session->IsMonitoring());
    ASSERT_TRUE(fake->IsOpen());
    EXPECT_EQ(Opened(), 1);
    // A try that was due finds the port the settings opened and keeps it.
    EXPECT_EQ(session->TryReconnect(), ReconnectTry::Opened);
    EXPECT_EQ(Opened(), 1);
    EXPECT_EQ(Closed(), 0);
    EXPECT_TRUE(fake->IsOpen());
    session->OnTimer();
    EXPECT_EQ(Closed(), 0);
}

TEST_F(LostLinkTest, TheClockGoesOnWhileLost) {
    LoseLink(CALL_IDLE);
    view.snapshots.clear();
    session->ShowClockWhileLost();
    EXPECT_TRUE(view.snapshots.empty()) << "the same minute is not shown again";
    now = FixedTime(8);
    session->ShowClockWhileLost();
    ASSERT_EQ(view.snapshots.size(), 1u);
    EXPECT_EQ(Shown().display1, "03/05(Tue) 09:08");
    EXPECT_EQ(Shown().antenna, "No Connection");
}

// A data cable whose adapter is back but whose phone is silent: the try's
// handshake waits long, unless an input arrives, when it gives way at once.
TEST_F(LostLinkTest, AReconnectionTryGivesWayToAnInput) {
    for (bool nudged : {false, true}) {
        SCOPED_TRACE(nudged ? "an input waiting" : "nothing waiting");
        SetUp();
        LoseLink(CALL_IDLE);
        // The settings named a data cable meanwhile.
        session->Link().m_cable = 2;
        fake->Replug();
        WaitBreaker breaker;
        fake->SetWaitBreaker(&breaker);
        if (nudged) breaker.Nudge();
        const uint64_t before = fake->Now();
        EXPECT_EQ(session->TryReconnect(), nudged ? ReconnectTry::GaveWay : ReconnectTry::Failed);
        if (nudged)
            EXPECT_EQ(fake->Now(), before);
        else
            EXPECT_GT(fake->Now() - before, 5000u);
        EXPECT_TRUE(session->LinkLost());
        EXPECT_FALSE(fake->IsOpen());
        fake->SetWaitBreaker(nullptr);
        TearDown();
    }
}

}  // namespace
