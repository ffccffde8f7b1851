#include "history/CallStoreSchema.h"

#include <string>

#include "history/CallStore.h"

bool UseWriteAheadJournal(SqliteDatabase& db) {
    const auto mode = db.QueryText("PRAGMA journal_mode = WAL");
    return mode && *mode == "wal" && db.Execute("PRAGMA synchronous = NORMAL");
}

bool CreateSchema(SqliteDatabase& db) {
    const std::string sql =
        "BEGIN IMMEDIATE;"
        "CREATE TABLE calls ("
        " id INTEGER PRIMARY KEY,"
        " started INTEGER NOT NULL,"     // seconds since 1970, UTC
        " last_event INTEGER NOT NULL,"  // the end, once the call is over
        " direction TEXT NOT NULL CHECK (direction IN ('incoming', 'outgoing')),"
        " number TEXT NOT NULL,"
        " name TEXT NOT NULL,"  // UTF-8
        " outcome TEXT NOT NULL CHECK (outcome IN ('answered', 'missed', 'held', 'dialled')),"
        " seconds_on_line INTEGER NOT NULL,"
        " charge_yen INTEGER,"  // NULL: no charge reported
        " in_progress INTEGER NOT NULL,"
        " seen INTEGER NOT NULL);"
        "CREATE INDEX calls_by_start ON calls (started);"
        "CREATE INDEX calls_unseen ON calls (seen) WHERE seen = 0;"
        "PRAGMA user_version = " +
        std::to_string(CALL_STORE_SCHEMA_VERSION) +
        ";"
        "COMMIT;";
    if (db.Execute(sql)) return true;
    db.Execute("ROLLBACK");
    return false;
}
