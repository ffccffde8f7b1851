// What the session reports of each call's life, and a poll that gives way to
// the user's input while the phone is silent.

#include <functional>

#include "handset/CallerDirectory.h"
#include "handset/SkinButtons.h"
#include "history/CallRecorder.h"
#include "support/CallSamples.h"
#include "unit/HandsetSessionFixture.h"

namespace {

class HandsetSessionCallsTest : public HandsetSessionTest {};

// One step of a call: the phone's bytes, then a tick, a button or the end
// of the program.
constexpr int kProgramEnds = -2;
struct Step {
    Bytes phone;
    int button;  // NO_BUTTON: a tick
};
struct Event {
    CallEventKind kind;
    const char* number = "";
    const char* name = "";
    CallEndedBy endedBy = CallEndedBy::Phone;
    ChargeKind charge = ChargeKind::None;
    int chargeYen = 0;
};

TEST_F(HandsetSessionCallsTest, EachCallReportsItsLifeInOrder) {
    using K = CallEventKind;
    const Bytes incoming = Join({{0xA5, 0xE0}, Codes("0312345678"), {0xAA}});
    // clang-format off
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<Event> events;
    } rows[] = {
        {"answered incoming, ended by the phone with a charge",
         {{incoming, NO_BUTTON},
          {{0xAF}, BTN_SEND},
          {Join({{0xA6, 0xE2}, Codes("120"), {0xAA}}), NO_BUTTON}},
         {{K::Incoming, "0312345678", "Yamada"},
          {K::Answered},
          {K::Ended, "", "", CallEndedBy::Phone, ChargeKind::Yen, 120}}},
        {"missed, number withheld",
         {{{0xA5, 0x41}, NO_BUTTON}, {{0xA4, 0xA6}, NO_BUTTON}},
         {{K::Incoming}, {K::Ended}}},
        {"held, then ended by the user",
         {{incoming, NO_BUTTON}, {{0x83}, BTN_QUIT}, {{0x82}, BTN_QUIT}},
         {{K::Incoming, "0312345678", "Yamada"},
          {K::Held},
          {K::Ended, "", "", CallEndedBy::User}}},
        {"dialled, ended by the user with a charge",
         {{{}, 0},
          {{}, 9},
          {{}, BTN_SEND},
          {{0x26}, NO_BUTTON},
          {{0xA7}, NO_BUTTON},
          {ChargeReply("80"), BTN_QUIT}},
         {{K::OutgoingFromHandset, "09"},
          {K::Answered},
          {K::Ended, "", "", CallEndedBy::User, ChargeKind::Yen, 80}}},
        {"placed on the phone's own keypad, ended without a charge",
         {{{0x21}, NO_BUTTON},
          {{0x26}, NO_BUTTON},
          {{0xA7}, NO_BUTTON},
          {{0xA6, 0x41}, NO_BUTTON}},
         {{K::OutgoingFromPhone},
          {K::Answered},
          {K::Ended, "", "", CallEndedBy::Phone, ChargeKind::Unknown}}},
        {"dialled, then the phone put on hook before an answer",
         {{{}, BTN_SEND}, {{}, BTN_QUIT}},
         {{K::OutgoingFromHandset}, {K::Ended, "", "", CallEndedBy::User}}},
        // Last: the program's end closes the port.
        {"answered, then the program ends during the call",
         {{incoming, NO_BUTTON}, {{0xAF}, BTN_SEND}, {{}, kProgramEnds}},
         {{K::Incoming, "0312345678", "Yamada"},
          {K::Answered},
          {K::Ended, "", "", CallEndedBy::User}}},
    };
    // clang-format on
    PhoneBook book;
    book.m_records[0] = std::make_unique<CMemoryDial>();
    book.m_records[0]->m_strName = "Yamada";
    book.m_records[0]->m_strNumber[0] = "0312345678";
    book.m_nRecords = 1;
    session->SetCallerDirectory(CallerDirectory::FromPhoneBook(book));
    Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Given(CALL_IDLE);
        TestState(*session).display2.clear();
        TestState(*session).display3.clear();
        for (const Step& step : row.steps) {
            fake->Incoming(step.phone);
            if (step.button == kProgramEnds)
                session->Close();
            else if (step.button == NO_BUTTON)
                session->OnTimer();
            else
                session->OnButton(step.button);
        }
        EXPECT_EQ(TestState(*session).callState, CALL_IDLE);
        ASSERT_EQ(calls.events.size(), row.events.size());
        for (size_t i = 0; i < row.events.size(); ++i) {
            const CallEvent& got = calls.events[i];
            const Event& want = row.events[i];
            SCOPED_TRACE(i);
            EXPECT_EQ(got.kind, want.kind);
            EXPECT_EQ(got.when, 1000);
            EXPECT_EQ(got.number, want.number);
            EXPECT_EQ(got.name, want.name);
            if (got.kind != K::Ended) continue;
            EXPECT_EQ(got.endedBy, want.endedBy);
            EXPECT_EQ(got.charge, want.charge);
            EXPECT_EQ(got.chargeYen, want.chargeYen);
        }
    }
}

// The phone's own reports of a call that the user ends while it is being
// placed may still be on their way: read after the hang-up, they are that
// call's, not a new one the phone placed.
TEST_F(HandsetSessionCallsTest, ReportsOfACallAlreadyEndedAddNoRowToTheHistory) {
    struct Row {
        std::string number;
        std::optional<int> yen;
    };
    constexpr int kOne = BTN_0 + 1;
    // clang-format off
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::vector<Row> rows;  // newest first
    } cases[] = {
        {"ended before the phone said it places the call",
         {{{}, kOne}, {{}, BTN_SEND}, {{}, BTN_QUIT}, {{0x26, 0xA6}, NO_BUTTON}, {{}, NO_BUTTON}},
         {{"1", std::nullopt}}},
        {"ended with the phone's status byte still on its way before its report",
         {{{}, kOne}, {{}, BTN_SEND}, {{}, BTN_QUIT}, {{0xC8, 0x26, 0xA6}, NO_BUTTON},
          {{}, NO_BUTTON}},
         {{"1", std::nullopt}}},
        {"ended before the phone's hang-up came",
         {{{}, kOne}, {{}, BTN_SEND}, {{0x26}, NO_BUTTON}, {{}, BTN_QUIT}, {{0xA6}, NO_BUTTON}},
         {{"1", std::nullopt}}},
        {"ended, and the phone carried on and was answered",
         {{{}, kOne}, {{}, BTN_SEND}, {{}, BTN_QUIT}, {{0x26}, NO_BUTTON}, {{0xA7}, NO_BUTTON},
          {ChargeReply("30"), BTN_QUIT}},
         {{"", 30}, {"1", std::nullopt}}},
        {"a call placed on the phone after the hang-up was confirmed",
         {{{}, BTN_9}, {{}, BTN_SEND}, {{}, BTN_QUIT}, {{0xA6}, NO_BUTTON}, {{0xC8}, NO_BUTTON},
          {{0x26}, NO_BUTTON}, {{0xA7}, NO_BUTTON}, {ChargeReply("20"), BTN_QUIT}},
         {{"", 20}, {"9", std::nullopt}}},
    };
    // clang-format on
    UseJapanTime();
    ScratchDir store;
    Start();
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const std::string path = store.PathOf(std::string(row.name) + ".sqlite");
        std::ostringstream diagnostics;
        auto recorder = std::make_unique<CallRecorder>(path, diagnostics, kMarch2024);
        calls.onEvent = [&](const CallEvent& event) { recorder->OnCallEvent(event); };
        Given(CALL_IDLE);
        TestState(*session).display3.clear();
        for (const Step& step : row.steps) {
            fake->Incoming(step.phone);
            if (step.button == NO_BUTTON)
                session->OnTimer();
            else
                session->OnButton(step.button);
        }
        calls.onEvent = nullptr;
        recorder.reset();
        EXPECT_EQ(TestState(*session).callState, CALL_IDLE);
        const std::vector<CallRecord> stored = CallStore::OpenExisting(path)->Rows(false);
        ASSERT_EQ(stored.size(), row.rows.size());
        for (size_t i = 0; i < stored.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(stored[i].direction, CallDirection::Outgoing);
            EXPECT_EQ(stored[i].number, row.rows[i].number);
            EXPECT_EQ(stored[i].chargeYen, row.rows[i].yen);
            EXPECT_FALSE(stored[i].inProgress);
        }
    }
}

TEST_F(HandsetSessionCallsTest, ASilentPollGivesWayToANudgeAndChangesNothing) {
    WaitBreaker breaker;
    fake->SetWaitBreaker(&breaker);
    Start();
    breaker.Nudge();
    for (int state : kStates) {
        SCOPED_TRACE(kStateNames[state]);
        Given(state);
        const uint64_t before = fake->Now();
        session->OnTimer();
        // Not a time-out: no time passed, nothing is shown anew.
        EXPECT_EQ(fake->Now(), before);
        EXPECT_EQ(view.snapshots.size(), 1u);
        EXPECT_EQ(TestState(*session).callState, state);
        EXPECT_EQ(TestState(*session).antenna, "*");
        EXPECT_EQ(TestState(*session).display1, "status");
        EXPECT_TRUE(calls.events.empty());
    }
    // Settled again, the next tick polls as ever.
    breaker.Settle();
    Given(CALL_IDLE);
    session->OnTimer();
    EXPECT_EQ(Shown().antenna, "No Connection");
    EXPECT_GT(fake->Now(), 0u);
    fake->SetWaitBreaker(nullptr);
}

TEST_F(HandsetSessionCallsTest, AMessageBegunAndAnActionsOwnWaitsAreNeverCut) {
    WaitBreaker breaker;
    fake->SetWaitBreaker(&breaker);
    Start();
    breaker.Nudge();
    const struct {
        const char* name;
        int state;
        Bytes first;
        Bytes later;  // arrives 100 ms later
        int button;   // NO_BUTTON: a tick
        int nextState;
        const char* display3;
    } rows[] = {
        {"an incoming call's number",
         CALL_IDLE,
         {0xA5},
         Join({{0xE0}, Codes("0312345678"), {0xAA}}),
         NO_BUTTON,
         CALL_RECEIVING,
         "0312345678"},
        {"the charge after the phone's end",
         CALL_ONLINE,
         {0xA6},
         Join({{0xE2}, Codes("120"), {0xAA}}),
         NO_BUTTON,
         CALL_IDLE,
         "Charge \\120"},
        {"the charge owed to the end key",
         CALL_ONLINE,
         {},
         ChargeReply("80"),
         BTN_QUIT,
         CALL_IDLE,
         "Charge \\80"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Given(row.state);
        fake->Incoming(row.first);
        fake->Incoming(row.later, 100);
        if (row.button == NO_BUTTON)
            session->OnTimer();
        else
            session->OnButton(row.button);
        EXPECT_EQ(Shown().callState, row.nextState);
        EXPECT_EQ(Shown().display3, row.display3);
    }
    fake->SetWaitBreaker(nullptr);
}

}  // namespace
