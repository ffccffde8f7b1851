// The call history's SQLite store on real files in a temporary folder.

#include "history/CallStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "support/CallSamples.h"
#include "support/ScratchDir.h"

namespace fs = std::filesystem;

namespace {

constexpr std::time_t kNow = kMarch2024 + 10 * 86400;  // 2024-03-11 00:00

class CallStoreTest : public ::testing::Test {
protected:
    void SetUp() override { UseJapanTime(); }

    std::unique_ptr<CallStore> OpenForRecording() {
        return CallStore::OpenForRecording(path, kNow, diagnostics);
    }

    // The files of the scratch folder whose names begin with `prefix`.
    std::vector<std::string> FilesStartingWith(const std::string& prefix) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(scratch.PathOf("history"))) {
            const std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0) names.push_back(name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ScratchDir scratch;
    const std::string path = scratch.PathOf("history/calls.sqlite");
    std::ostringstream diagnostics;
};

TEST_F(CallStoreTest, NewStoreHasTheSchemaVersionAndAWriteAheadJournalInANewFolder) {
    auto store = OpenForRecording();
    ASSERT_TRUE(store);
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(store->SchemaVersion(), CALL_STORE_SCHEMA_VERSION);
    EXPECT_EQ(store->JournalMode(), "wal");
    EXPECT_TRUE(store->Rows(false).empty());
    EXPECT_EQ(diagnostics.str(), "");
}

TEST_F(CallStoreTest, RecordsReadBackWholeAfterReopening) {
    CallRecord answered =
        MakeCall(kMarch2024 + 100, CallOutcome::Answered, "09012345678", "山田太郎", 75, 120);
    CallRecord withheld = MakeCall(kMarch2024 + 200, CallOutcome::Missed, "", "");
    CallRecord ringing = MakeCall(kMarch2024 + 300, CallOutcome::Missed, "0120*#1");
    ringing.inProgress = true;
    {
        auto store = OpenForRecording();
        ASSERT_TRUE(store);
        for (CallRecord* record : {&answered, &withheld, &ringing}) {
            const auto id = store->Insert(*record);
            ASSERT_TRUE(id);
            record->id = *id;
        }
        ringing.secondsOnLine = 9;
        ASSERT_EQ(store->Update(ringing), CallStore::UpdateResult::Written);
    }
    auto store = CallStore::OpenExisting(path);
    ASSERT_TRUE(store);
    const std::vector<CallRecord> rows = store->Rows(false);
    ASSERT_EQ(rows.size(), 3u);
    const CallRecord* expected[] = {&ringing, &withheld, &answered};  // newest first
    for (size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].id, expected[i]->id);
        EXPECT_EQ(rows[i].started, expected[i]->started);
        EXPECT_EQ(rows[i].lastEvent, expected[i]->lastEvent);
        EXPECT_EQ(rows[i].direction, expected[i]->direction);
        EXPECT_EQ(rows[i].number, expected[i]->number);
        EXPECT_EQ(rows[i].name, expected[i]->name);
        EXPECT_EQ(rows[i].outcome, expected[i]->outcome);
        EXPECT_EQ(rows[i].secondsOnLine, expected[i]->secondsOnLine);
        EXPECT_EQ(rows[i].chargeYen, expected[i]->chargeYen);
        EXPECT_EQ(rows[i].inProgress, expected[i]->inProgress);
        EXPECT_EQ(rows[i].seen, expected[i]->seen);
    }
}

TEST_F(CallStoreTest, OpeningForRecordingClosesWhatACrashLeftInProgress) {
    {
        auto store = OpenForRecording();
        CallRecord ringing = MakeCall(kMarch2024, CallOutcome::Missed);
        ringing.inProgress = true;
        ASSERT_TRUE(store->Insert(ringing));
    }
    auto reader = CallStore::OpenExisting(path);
    EXPECT_EQ(reader->UnseenMissedCount(), 0) << "a ringing call is not missed yet";
    auto store = OpenForRecording();
    EXPECT_EQ(store->CloseInterrupted(), 1);
    EXPECT_FALSE(store->Rows(false).at(0).inProgress);
    EXPECT_EQ(reader->UnseenMissedCount(), 1);
}

TEST_F(CallStoreTest, MissedFilterUnseenCountAndMarkingSeen) {
    auto store = OpenForRecording();
    for (const CallRecord& call : {MakeCall(kMarch2024 + 1, CallOutcome::Missed, "1"),
                                   MakeCall(kMarch2024 + 2, CallOutcome::Answered, "2", "", 10, 10),
                                   MakeCall(kMarch2024 + 3, CallOutcome::Missed, "3"),
                                   MakeCall(kMarch2024 + 4, CallOutcome::HeldEnded, "4"),
                                   MakeCall(kMarch2024 + 5, CallOutcome::Dialled, "5")}) {
        ASSERT_TRUE(store->Insert(call));
    }
    const auto missed = store->Rows(true);
    ASSERT_EQ(missed.size(), 2u);
    EXPECT_EQ(missed[0].number, "3");
    EXPECT_EQ(missed[1].number, "1");
    EXPECT_EQ(store->UnseenMissedCount(), 2);

    // The dialog's own connection marks them; the recorder's sees it.
    auto dialog = CallStore::OpenExisting(path);
    ASSERT_TRUE(dialog->MarkMissedSeen());
    EXPECT_EQ(store->UnseenMissedCount(), 0);
    EXPECT_EQ(store->Rows(true).size(), 2u) << "seen missed calls stay missed";
}

TEST_F(CallStoreTest, MonthTotalsFollowLocalMonthBoundaries) {
    auto store = OpenForRecording();
    const std::time_t april = kMarch2024 + 31 * 86400;
    for (const CallRecord& call : {MakeCall(april - 1, CallOutcome::Answered, "1", "", 5, 100),
                                   MakeCall(april - 1, CallOutcome::Missed, "2"),
                                   MakeCall(april, CallOutcome::Dialled, "3", "", 5, 40),
                                   MakeCall(april + 60, CallOutcome::Dialled, "4", "", 5)}) {
        ASSERT_TRUE(store->Insert(call));
    }
    const struct {
        int year, month, calls;
        std::int64_t yen;
    } cases[] = {{2024, 3, 2, 100}, {2024, 4, 2, 40}, {2024, 5, 0, 0}, {2023, 12, 0, 0}};
    for (const auto& c : cases) {
        const MonthSummary summary = store->Month(c.year, c.month);
        EXPECT_EQ(summary.calls, c.calls) << c.year << "-" << c.month;
        EXPECT_EQ(summary.chargeYen, c.yen) << c.year << "-" << c.month;
    }
}

TEST_F(CallStoreTest, AHundredThousandCallsAndTheirMonthTotals) {
    auto store = OpenForRecording();
    FillCalls(*store, 100000, kMarch2024);
    // One call a minute: 44 640 in March, 43 200 in April, the rest in May;
    // every tenth is missed and charges nothing, the others 10 yen.
    EXPECT_EQ(store->Rows(false).size(), 100000u);
    const MonthSummary march = store->Month(2024, 3);
    EXPECT_EQ(march.calls, 44640);
    EXPECT_EQ(march.chargeYen, 10 * (44640 - 4464));
    const MonthSummary may = store->Month(2024, 5);
    EXPECT_EQ(may.calls, 100000 - 44640 - 43200);
    EXPECT_EQ(store->UnseenMissedCount(), 10000);
}

TEST_F(CallStoreTest, ADamagedOrForeignFileIsMovedAsideAndANewStoreBegun) {
    const struct {
        const char* what;
        std::function<void(const std::string&)> spoil;
    } cases[] = {
        {"not a database",
         [](const std::string& p) { std::ofstream(p, std::ios::binary) << "just some text\n"; }},
        {"a database without our table",
         [](const std::string& p) {
             SqliteDatabase db;
             ASSERT_TRUE(db.Open(p, true));
             ASSERT_TRUE(db.Execute("CREATE TABLE calls (x); PRAGMA user_version = 1;"));
         }},
        {"pages overwritten",
         [this](const std::string& p) {
             {
                 auto store = CallStore::OpenForRecording(p, kNow, diagnostics);
                 FillCalls(*store, 2000, kMarch2024);
                 ASSERT_TRUE(store->Rows(false).size() == 2000);
             }
             std::fstream file(p, std::ios::binary | std::ios::in | std::ios::out);
             file.seekp(4096 + 100);
             const std::string junk(8192, '\x5a');
             file.write(junk.data(), static_cast<std::streamsize>(junk.size()));
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(scratch.PathOf("history"));
        fs::create_directories(scratch.PathOf("history"));
        c.spoil(path);
        const std::string damagedBytes = ReadAll(path);
        diagnostics.str("");

        auto store = OpenForRecording();
        ASSERT_TRUE(store);
        EXPECT_TRUE(store->Rows(false).empty());
        ASSERT_TRUE(store->Insert(MakeCall(kNow, CallOutcome::Dialled)));

        const std::string aside = "calls.sqlite.damaged-20240311";
        EXPECT_EQ(FilesStartingWith("calls.sqlite.damaged"), std::vector<std::string>{aside});
        EXPECT_TRUE(ReadAll(scratch.PathOf("history/" + aside)) == damagedBytes)
            << "the damaged file is kept as it was";
        const std::string said = diagnostics.str();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_NE(said.find(aside), std::string::npos) << said;
    }
}

TEST_F(CallStoreTest, ASecondDamagedFileOnTheSameDayGetsANameOfItsOwn) {
    for (int i = 0; i < 2; ++i) {
        fs::create_directories(scratch.PathOf("history"));
        std::ofstream(path, std::ios::binary) << "garbage " << i;
        ASSERT_TRUE(OpenForRecording());
    }
    EXPECT_EQ(FilesStartingWith("calls.sqlite.damaged"),
              (std::vector<std::string>{"calls.sqlite.damaged-20240311",
                                        "calls.sqlite.damaged-20240311-2"}));
}

TEST_F(CallStoreTest, NoStoreWhereNoneCanBeMadeAndNoneForTheDialogWhenMissing) {
    const std::string blocker = scratch.Write("file", "a file where a folder should be");
    auto store = CallStore::OpenForRecording(blocker + "/telvoxa/calls.sqlite", kNow, diagnostics);
    EXPECT_FALSE(store);
    const std::string said = diagnostics.str();
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_TRUE(fs::exists(blocker));

    EXPECT_FALSE(CallStore::OpenExisting(scratch.PathOf("missing.sqlite")));
    EXPECT_FALSE(fs::exists(scratch.PathOf("missing.sqlite")));
}

}  // namespace
