// The handset's buttons and keys as the session carries them out: what each
// sends to the phone in each call state, the number line, the charge on
// show, and the phone book's choice.

#include <functional>

#include "handset/SkinButtons.h"
#include "unit/HandsetSessionFixture.h"

namespace {

using Action = std::function<void(HandsetSession&)>;
Action Button(int index) {
    return [index](HandsetSession& s) { s.OnButton(index); };
}
const Action kClearAll = [](HandsetSession& s) { s.OnClearAll(); };

class HandsetSessionButtonsTest : public HandsetSessionTest {};

struct ButtonRow {
    std::string name;
    int state;
    Action action;
    Bytes phoneSends;  // what the phone has sent before the press
    std::vector<std::string> trace;
    int nextState;
    const char* display2;  // nullptr: unchanged
    const char* display3;
    int picture;  // -1: unchanged
    bool append;
};

TEST_F(HandsetSessionButtonsTest, EachButtonSendsWhatItsCallStateCallsFor) {
    const std::string dialled = Write(Join({{0xA7, 0xEA}, Codes("0123"), {0x86}}));
    const std::vector<std::string> none;
    std::vector<ButtonRow> rows;
    // clang-format off
    for (int state : kStates) {
        const std::string s = kStateNames[state];
        const bool digitsGo = state == CALL_OFFHOOK || state == CALL_ONLINE;
        rows.push_back({s + ": dial key 5", state, Button(5), {},
                        digitsGo ? std::vector{Write(Codes("5"))} : none, state, "", "01235", 0,
                        true});
        rows.push_back({s + ": dial key *", state, Button(BTN_AS), {},
                        digitsGo ? std::vector{Write(Codes("*"))} : none, state, "", "0123*", 0,
                        true});
        rows.push_back({s + ": clear", state, Button(BTN_CLEAR), {}, none, state, "", "012", -1,
                        true});
        rows.push_back({s + ": clear all", state, kClearAll, {}, none, state, "", "", 1, true});
        if (state != CALL_IDLE) {
            rows.push_back({s + ": phone book refused", state, Button(BTN_CALL), {}, none, state,
                            nullptr, nullptr, -1, true});
        }
    }
    rows.push_back({"idle: send dials the number line", CALL_IDLE, Button(BTN_SEND), {},
                    {"clear", "clear", dialled}, CALL_OFFHOOK, nullptr, nullptr, 0, true});
    for (int state : {CALL_OFFHOOK, CALL_SENDING, CALL_ONLINE}) {
        rows.push_back({std::string(kStateNames[state]) + ": send does nothing", state,
                        Button(BTN_SEND), {}, none, state, nullptr, nullptr, -1, true});
    }
    rows.push_back({"receiving: send answers", CALL_RECEIVING, Button(BTN_SEND), {0xAF},
                    {Write({0xA7})}, CALL_ONLINE, nullptr, "", 0, true});
    rows.push_back({"receiving: send answers, unconfirmed", CALL_RECEIVING, Button(BTN_SEND), {},
                    {Write({0xA7})}, CALL_ONLINE, nullptr, "", 0, true});
    rows.push_back({"holding: send resumes, picture left to the next tick", CALL_HOLDING,
                    Button(BTN_SEND), {0xA7}, {Write({0xA7})}, CALL_ONLINE, nullptr, "", -1,
                    true});
    rows.push_back({"receiving: end holds", CALL_RECEIVING, Button(BTN_QUIT), {0x83},
                    {Write({0x82})}, CALL_HOLDING, nullptr, nullptr, 0, true});
    rows.push_back({"on line: end hangs up and shows the charge", CALL_ONLINE, Button(BTN_QUIT),
                    ChargeReply("120"), {Write({0xA6})}, CALL_IDLE, "", "Charge \\120", -1,
                    false});
    rows.push_back({"on line: end, the phone reports no charge", CALL_ONLINE, Button(BTN_QUIT),
                    {0xA6}, {Write({0xA6})}, CALL_IDLE, "", "No Charge Info", -1, false});
    rows.push_back({"holding: end ends the held call", CALL_HOLDING, Button(BTN_QUIT), {0x82},
                    {Write({0x82})}, CALL_IDLE, "", "", 1, true});
    for (int state : {CALL_IDLE, CALL_OFFHOOK, CALL_SENDING}) {
        rows.push_back({std::string(kStateNames[state]) + ": end hangs up and drops the reply",
                        state, Button(BTN_QUIT), {}, {Write({0xA6}), "clear"}, CALL_IDLE, "", "",
                        1, true});
    }
    // clang-format on

    Start();
    for (const ButtonRow& row : rows) {
        SCOPED_TRACE(row.name);
        Given(row.state);
        const int picture = TestState(*session).picture;
        fake->Incoming(row.phoneSends);

        row.action(*session);

        EXPECT_EQ(Trace(), row.trace);
        EXPECT_EQ(TestState(*session).callState, row.nextState);
        EXPECT_EQ(TestState(*session).appendDigits, row.append);
        // The window shows all of it.
        EXPECT_EQ(Shown().callState, row.nextState);
        EXPECT_EQ(Shown().display2, row.display2 ? row.display2 : "name");
        EXPECT_EQ(Shown().display3, row.display3 ? row.display3 : "0123");
        EXPECT_EQ(Shown().picture, row.picture < 0 ? picture : row.picture);
        EXPECT_EQ(fake->PendingIncoming(), 0u);
    }
    EXPECT_EQ(view.phoneBookShown, 0);
    EXPECT_EQ(view.programEnded, 0);
}

TEST_F(HandsetSessionButtonsTest, EveryDialKeySendsItsOwnCodeWhileOffHook) {
    Start();
    TestState(*session).callState = CALL_OFFHOOK;
    const std::string keys = "0123456789*#";
    for (int button = 0; button < 12; ++button) session->OnButton(button);
    std::vector<std::string> expected;
    for (char c : keys) expected.push_back(Write(Codes(std::string(1, c))));
    EXPECT_EQ(Trace(), expected);
    EXPECT_EQ(Shown().display3, keys);
}

struct NumberStep {
    Action action;
    const char* number;
    int picture;
};

TEST_F(HandsetSessionButtonsTest, TheNumberLineFollowsDigitsClearAndClearAll) {
    Start();
    const Action clear = Button(BTN_CLEAR);
    const NumberStep steps[] = {
        {Button(1), "1", 0},       {Button(2), "12", 0}, {Button(3), "123", 0}, {clear, "12", 0},
        {clear, "1", 0},           {clear, "", 1},       {clear, "", 1},        {Button(9), "9", 0},
        {Button(BTN_SH), "9#", 0}, {kClearAll, "", 1},
    };
    for (const NumberStep& step : steps) {
        step.action(*session);
        EXPECT_EQ(Shown().display3, step.number);
        EXPECT_EQ(Shown().picture, step.picture) << step.number;
        EXPECT_TRUE(TestState(*session).appendDigits);
    }
    // A double-byte character goes whole.
    TestState(*session).display3 = "0\x82\x50";
    session->OnClearButton();
    EXPECT_EQ(Shown().display3, "0");
    // Idle: nothing of this reached the phone.
    EXPECT_TRUE(Trace().empty());
}

TEST_F(HandsetSessionButtonsTest, AfterAChargeADialKeyReplacesItAndClearEmptiesItWhole) {
    Start();
    auto endCall = [&] {
        TestState(*session).callState = CALL_ONLINE;
        fake->Incoming(ChargeReply("120"));
        session->OnButton(BTN_QUIT);
        EXPECT_EQ(Trace(), std::vector<std::string>{Write({0xA6})});
        EXPECT_EQ(Shown().display3, "Charge \\120");
        EXPECT_FALSE(TestState(*session).appendDigits);
    };
    endCall();
    session->OnButton(7);
    EXPECT_EQ(Shown().display3, "7");
    session->OnButton(8);
    EXPECT_EQ(Shown().display3, "78");

    endCall();
    TestState(*session).picture = 2;
    session->OnButton(BTN_CLEAR);
    EXPECT_EQ(Shown().display3, "");
    EXPECT_EQ(Shown().picture, 1);
    EXPECT_TRUE(TestState(*session).appendDigits);

    // The charge left by the phone's own end of the call goes the same way.
    TestState(*session).callState = CALL_ONLINE;
    fake->Incoming(Join({{0xA6, 0xE2}, Codes("80"), {0xAA}}));
    session->OnTimer();
    EXPECT_EQ(Shown().display3, "Charge \\80");
    session->OnButton(5);
    EXPECT_EQ(Shown().display3, "5");
    EXPECT_TRUE(Trace().empty());
}

TEST_F(HandsetSessionButtonsTest, SendGoesOffHookWithoutANumberWhenNoneIsOnShow) {
    const struct {
        const char* name;
        int numdisp;
        bool chargeOnShow;
        Bytes dialled;
    } rows[] = {
        {"a charge on show", 0, true, {0xA7, 0xEA}},
        {"an empty number line, number notified", 1, false, {0xA7, 0xEB}},
    };
    Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        session->Link().m_numdisp = row.numdisp;
        if (row.chargeOnShow) {
            TestState(*session).callState = CALL_ONLINE;
            fake->Incoming(ChargeReply("30"));
            session->OnButton(BTN_QUIT);
            Trace();
        }
        session->OnButton(BTN_SEND);
        EXPECT_EQ(Trace(), (std::vector<std::string>{"clear", "clear", Write(row.dialled)}));
        EXPECT_EQ(TestState(*session).callState, CALL_OFFHOOK);
        TestState(*session).callState = CALL_IDLE;
    }
}

TEST_F(HandsetSessionButtonsTest, TheChosenPhoneBookEntryIsShownAndSendDialsIt) {
    Start(Settings(0, 1));
    TestState(*session).display3 = "99";
    bool monitoringWhileShown = true;
    view.whileAsked = [&] { monitoringWhileShown = session->IsMonitoring(); };
    view.phoneBookAnswers = {ChosenEntry{"Suzuki", "0120333444"}};
    session->OnButton(BTN_CALL);
    EXPECT_EQ(view.phoneBookShown, 1);
    EXPECT_FALSE(monitoringWhileShown);
    EXPECT_TRUE(session->IsMonitoring());
    EXPECT_EQ(Shown().display2, "Suzuki");
    EXPECT_EQ(Shown().display3, "0120333444");
    EXPECT_EQ(Shown().picture, 0);
    EXPECT_TRUE(TestState(*session).appendDigits);
    EXPECT_TRUE(Trace().empty());

    session->OnButton(BTN_SEND);
    EXPECT_EQ(Trace(),
              (std::vector<std::string>{"clear", "clear",
                                        Write(Join({{0xA7, 0xEB}, Codes("0120333444"), {0x86}}))}));
    EXPECT_EQ(TestState(*session).callState, CALL_OFFHOOK);
}

TEST_F(HandsetSessionButtonsTest, NoChoiceFromThePhoneBookLeavesTheDisplay) {
    Start();
    Given(CALL_IDLE);
    session->StopMonitor();
    session->OnButton(BTN_CALL);
    EXPECT_EQ(view.phoneBookShown, 1);
    EXPECT_TRUE(session->IsMonitoring());
    EXPECT_EQ(Shown().display2, "name");
    EXPECT_EQ(Shown().display3, "0123");
    EXPECT_EQ(Shown().picture, 1);
    EXPECT_TRUE(Trace().empty());
}

}  // namespace
