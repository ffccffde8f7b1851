// The recorder fed with the session's call events, writing to a real store.

#include "history/CallRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "history/CallHistoryNotice.h"
#include "platform/Cp932.h"
#include "support/CallSamples.h"
#include "support/ScratchDir.h"

namespace {

constexpr std::time_t T = kMarch2024 + 3600;

CallEvent Event(CallEventKind kind, std::time_t when, std::string number = "",
                std::string nameUtf8 = "") {
    CallEvent event;
    event.kind = kind;
    event.when = when;
    event.number = std::move(number);
    event.name = Utf8ToCp932(nameUtf8);
    return event;
}

CallEvent Ended(std::time_t when, CallEndedBy by, ChargeKind charge = ChargeKind::None,
                int yen = 0) {
    CallEvent event = Event(CallEventKind::Ended, when);
    event.endedBy = by;
    event.charge = charge;
    event.chargeYen = yen;
    return event;
}

struct Expected {
    CallDirection direction;
    std::string number;
    std::string name;
    CallOutcome outcome;
    int seconds;
    std::optional<int> yen;
};

class CallRecorderTest : public ::testing::Test {
protected:
    void SetUp() override { UseJapanTime(); }

    std::vector<CallRecord> Stored() { return CallStore::OpenExisting(path)->Rows(false); }

    ScratchDir scratch;
    const std::string path = scratch.PathOf("telvoxa/calls.sqlite");
    std::ostringstream diagnostics;
};

TEST_F(CallRecorderTest, EachCallBecomesOneRecord) {
    using K = CallEventKind;
    const struct {
        const char* what;
        std::vector<CallEvent> events;
        Expected record;
    } cases[] = {
        {"incoming answered with a charge",
         {Event(K::Incoming, T, "09012345678", "山田太郎"), Event(K::Answered, T + 5),
          Ended(T + 65, CallEndedBy::Phone, ChargeKind::Yen, 120)},
         {CallDirection::Incoming, "09012345678", "山田太郎", CallOutcome::Answered, 60, 120}},
        {"missed",
         {Event(K::Incoming, T, "0312345678"), Ended(T + 20, CallEndedBy::Phone)},
         {CallDirection::Incoming, "0312345678", "", CallOutcome::Missed, 0, std::nullopt}},
        {"held while ringing, then ended",
         {Event(K::Incoming, T, ""), Event(K::Held, T + 4), Ended(T + 30, CallEndedBy::User)},
         {CallDirection::Incoming, "", "", CallOutcome::HeldEnded, 0, std::nullopt}},
        {"answered, held, resumed: the hold is not on line",
         {Event(K::Incoming, T, "111"), Event(K::Answered, T + 2), Event(K::Held, T + 12),
          Event(K::Resumed, T + 40), Ended(T + 45, CallEndedBy::Phone, ChargeKind::Yen, 0)},
         {CallDirection::Incoming, "111", "", CallOutcome::Answered, 15, 0}},
        {"dialled from the handset, ended by the user with ¥80",
         {Event(K::OutgoingFromHandset, T, "0312345678", "会社"), Event(K::Answered, T + 8),
          Ended(T + 98, CallEndedBy::User, ChargeKind::Yen, 80)},
         {CallDirection::Outgoing, "0312345678", "会社", CallOutcome::Dialled, 90, 80}},
        {"from the phone's own keypad: off hook, then dialling",
         {Event(K::OutgoingFromPhone, T), Event(K::OutgoingFromPhone, T + 6),
          Event(K::Answered, T + 10), Ended(T + 70, CallEndedBy::Phone, ChargeKind::Unknown)},
         {CallDirection::Outgoing, "", "", CallOutcome::Dialled, 60, std::nullopt}},
        {"dialled, never on line",
         {Event(K::OutgoingFromHandset, T, "117"), Ended(T + 9, CallEndedBy::User)},
         {CallDirection::Outgoing, "117", "", CallOutcome::Dialled, 0, std::nullopt}},
        {"cable pulled on line",
         {Event(K::Incoming, T, "222"), Event(K::Answered, T + 1),
          Ended(T + 31, CallEndedBy::LinkLost)},
         {CallDirection::Incoming, "222", "", CallOutcome::Answered, 30, std::nullopt}},
        {"cable pulled while ringing",
         {Event(K::Incoming, T, "333"), Ended(T + 3, CallEndedBy::LinkLost)},
         {CallDirection::Incoming, "333", "", CallOutcome::Missed, 0, std::nullopt}},
        {"clock set back on line",
         {Event(K::Incoming, T, "444"), Event(K::Answered, T + 100),
          Ended(T + 50, CallEndedBy::Phone)},
         {CallDirection::Incoming, "444", "", CallOutcome::Answered, 0, std::nullopt}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(scratch.PathOf("telvoxa"));
        {
            CallRecorder recorder(path, diagnostics, T);
            ASSERT_TRUE(recorder.HasStore());
            for (const CallEvent& event : c.events) recorder.OnCallEvent(event);
            EXPECT_FALSE(recorder.Current());
        }
        const auto rows = Stored();
        ASSERT_EQ(rows.size(), 1u);
        const CallRecord& r = rows[0];
        EXPECT_EQ(r.started, T);
        // The latest time seen, even when the clock went back.
        EXPECT_EQ(r.lastEvent, std::max_element(c.events.begin(), c.events.end(),
                                                [](const CallEvent& a, const CallEvent& b) {
                                                    return a.when < b.when;
                                                })
                                   ->when);
        EXPECT_EQ(r.direction, c.record.direction);
        EXPECT_EQ(r.number, c.record.number);
        EXPECT_EQ(r.name, c.record.name);
        EXPECT_EQ(r.outcome, c.record.outcome);
        EXPECT_EQ(r.secondsOnLine, c.record.seconds);
        EXPECT_EQ(r.chargeYen, c.record.yen);
        EXPECT_FALSE(r.inProgress);
        EXPECT_EQ(r.seen, c.record.outcome != CallOutcome::Missed);
    }
    EXPECT_EQ(diagnostics.str(), "");
}

TEST_F(CallRecorderTest, TheRecordIsWrittenInProgressWhenTheCallBeginsAndAtEachChange) {
    CallRecorder recorder(path, diagnostics, T);
    recorder.OnCallEvent(Event(CallEventKind::Incoming, T, "09012345678"));
    auto rows = Stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].inProgress);
    EXPECT_EQ(rows[0].outcome, CallOutcome::Missed);

    recorder.OnCallEvent(Event(CallEventKind::Answered, T + 7));
    rows = Stored();
    EXPECT_TRUE(rows[0].inProgress);
    EXPECT_EQ(rows[0].outcome, CallOutcome::Answered);
    EXPECT_EQ(rows[0].lastEvent, T + 7);
}

TEST_F(CallRecorderTest, ACrashMidCallIsClosedAtItsLastKnownTimeByTheNextStart) {
    {
        CallRecorder recorder(path, diagnostics, T);
        recorder.OnCallEvent(Event(CallEventKind::Incoming, T, "555"));
        recorder.OnCallEvent(Event(CallEventKind::Answered, T + 10));
        recorder.OnCallEvent(Event(CallEventKind::Held, T + 40));
        // ... and the program dies here, with the call on hold.
    }
    {
        CallRecorder recorder(path, diagnostics, T + 3600);
        recorder.OnCallEvent(Event(CallEventKind::Incoming, T + 3600, "666"));
        // Dies while this one rings.
    }
    CallRecorder next(path, diagnostics, T + 7200);
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_FALSE(rows[0].inProgress);
    EXPECT_EQ(rows[0].outcome, CallOutcome::Missed);
    EXPECT_FALSE(rows[0].seen);
    EXPECT_FALSE(rows[1].inProgress);
    EXPECT_EQ(rows[1].number, "555");
    EXPECT_EQ(rows[1].lastEvent, T + 40);
    EXPECT_EQ(rows[1].secondsOnLine, 30);
    EXPECT_EQ(rows[1].outcome, CallOutcome::HeldEnded);
    EXPECT_EQ(CallStore::OpenExisting(path)->UnseenMissedCount(), 1);
}

TEST_F(CallRecorderTest, AWriteAnotherProgramHeldUpIsMadeAgainOnTheSameRecord) {
    using K = CallEventKind;
    // An answered call with a charge, then a missed one; another program
    // holds the history (past the busy wait) during one of the events.
    const std::vector<CallEvent> events = {
        Event(K::Incoming, T, "0312345678"), Event(K::Answered, T + 5),
        Ended(T + 65, CallEndedBy::Phone, ChargeKind::Yen, 30), Event(K::Incoming, T + 100, "2"),
        Ended(T + 110, CallEndedBy::Phone)};
    const struct {
        const char* what;
        size_t heldDuring;
    } cases[] = {{"the ring", 0}, {"the answer", 1}, {"the end with its charge", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(scratch.PathOf("telvoxa"));
        CallHistoryNotice::Set("");
        CallRecorder recorder(path, diagnostics, T);
        for (size_t i = 0; i < events.size(); ++i) {
            SqliteDatabase holder;
            if (i == c.heldDuring) {
                ASSERT_TRUE(holder.Open(path, false) && holder.Execute("BEGIN IMMEDIATE"));
            }
            recorder.OnCallEvent(events[i]);
            if (i == c.heldDuring && i == 2) {
                // The ended call waits, and the window says so.
                EXPECT_NE(CallHistoryNotice::Text().find(
                              "Calls not yet written to the call history: 1 (03/01 01:00"),
                          std::string::npos)
                    << CallHistoryNotice::Text();
            }
        }
        const auto rows = Stored();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[1].outcome, CallOutcome::Answered);
        EXPECT_EQ(rows[1].secondsOnLine, 60);
        EXPECT_EQ(rows[1].chargeYen, 30);
        EXPECT_FALSE(rows[1].inProgress);
        EXPECT_EQ(CallStore::OpenExisting(path)->UnseenMissedCount(), 1) << "only the second";
        EXPECT_EQ(CallHistoryNotice::Text(), "");
    }
}

TEST_F(CallRecorderTest, OpenedLaterTheWholeFileIsCheckedBeforeItsFirstWrite) {
    const struct {
        const char* what;
        std::function<void()> arrange;
        size_t rows;  // after one more call
        bool movedAside;
    } cases[] = {
        {"a call a crash left in progress",
         [&] {
             CallRecorder crashed(path, diagnostics, T);
             crashed.OnCallEvent(Event(CallEventKind::Incoming, T, "555"));
         },
         2, false},
        {"pages overwritten",
         [&] {
             {
                 auto store = CallStore::OpenForRecording(path, T, diagnostics);
                 FillCalls(*store, 2000, kMarch2024);
             }
             std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
             file.seekp(4096 + 100);
             const std::string junk(8192, '\x5a');
             file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
         },
         1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(scratch.PathOf("telvoxa"));
        std::filesystem::create_directories(scratch.PathOf("telvoxa"));
        c.arrange();
        CallRecorder recorder(CallRecorder::OpenLater{}, path, diagnostics);
        recorder.OpenStore(T + 600);
        recorder.OnCallEvent(Event(CallEventKind::Incoming, T + 600, "666"));
        recorder.OnCallEvent(Ended(T + 610, CallEndedBy::Phone));
        const auto rows = Stored();
        ASSERT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows[0].number, "666");
        for (const CallRecord& row : rows) EXPECT_FALSE(row.inProgress);
        EXPECT_EQ(std::filesystem::exists(path + ".damaged-20240301"), c.movedAside);
    }
}

TEST_F(CallRecorderTest, EventsOutsideACallAreIgnoredAndANewCallClosesAnUnfinishedOne) {
    CallRecorder recorder(path, diagnostics, T);
    recorder.OnCallEvent(Event(CallEventKind::Answered, T));
    recorder.OnCallEvent(Ended(T + 1, CallEndedBy::Phone, ChargeKind::Yen, 10));
    EXPECT_TRUE(Stored().empty());

    recorder.OnCallEvent(Event(CallEventKind::OutgoingFromHandset, T + 10, "1"));
    recorder.OnCallEvent(Event(CallEventKind::Answered, T + 12));
    recorder.OnCallEvent(Event(CallEventKind::Incoming, T + 20, "2"));
    recorder.OnCallEvent(Ended(T + 25, CallEndedBy::Phone));
    const auto rows = Stored();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].number, "1");
    EXPECT_FALSE(rows[1].inProgress);
    EXPECT_EQ(rows[1].secondsOnLine, 8);
    EXPECT_EQ(rows[0].number, "2");
    EXPECT_EQ(rows[0].outcome, CallOutcome::Missed);
}

TEST_F(CallRecorderTest, WithoutAStoreTheCallsAreFollowedAndNothingFails) {
    const std::string blocker = scratch.Write("file", "x");
    CallRecorder recorder(blocker + "/calls.sqlite", diagnostics, T);
    EXPECT_FALSE(recorder.HasStore());
    recorder.OnCallEvent(Event(CallEventKind::Incoming, T, "1"));
    ASSERT_TRUE(recorder.Current());
    recorder.OnCallEvent(Ended(T + 1, CallEndedBy::Phone));
    EXPECT_FALSE(recorder.Current());
    EXPECT_NE(diagnostics.str(), "");
}

}  // namespace
