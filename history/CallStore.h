#pragma once
// The call history on disk: one SQLite table of calls (schema version in
// PRAGMA user_version, write-ahead journal). Each connection belongs to one
// thread; the recorder and the history dialog each open their own, so a
// long read never holds up a write.

#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "history/CallRecord.h"
#include "history/Sqlite.h"

inline constexpr int CALL_STORE_SCHEMA_VERSION = 1;

struct MonthSummary {
    int calls = 0;
    std::int64_t chargeYen = 0;
};

class CallStore {
public:
    // Opens an existing, sound store; null when there is none, it is damaged
    // or it was written by a newer program. Creates nothing, repairs nothing.
    static std::unique_ptr<CallStore> OpenExisting(const std::string& path);

    // The recorder's open: creates the folder and the store when missing; a
    // file that cannot be opened or is damaged is renamed to
    // "<path>.damaged-<date>" (with its journal) and a new store begun, with
    // one line on `diagnostics`. Null only when no store can be made at all.
    static std::unique_ptr<CallStore> OpenForRecording(const std::string& path, std::time_t now,
                                                       std::ostream& diagnostics);

    // Writes, each its own transaction. Insert gives the new record's id.
    std::optional<std::int64_t> Insert(const CallRecord& record);
    bool Update(const CallRecord& record);
    // Closes the records a crash left in progress, as ended at the time of
    // their last event; gives how many there were.
    int CloseInterrupted();

    // Every record, newest first; only missed calls when `missedOnly`.
    std::vector<CallRecord> Rows(bool missedOnly);
    // The calls begun in a month of local time (month 1..12) and their charges.
    MonthSummary Month(int year, int month);
    int UnseenMissedCount();
    bool MarkMissedSeen();

    int SchemaVersion();
    std::string JournalMode();

private:
    CallStore() = default;
    // Schema and statements on an open connection; false when the file is
    // not a usable store.
    bool Prepare(bool create);

    SqliteDatabase m_db;
    SqliteStatement m_insert;
    SqliteStatement m_update;
};
