#pragma once
// The calls table and the settings every connection to it uses.

#include "history/Sqlite.h"

// How long a connection waits while the other one writes: long enough for
// one write, short enough never to hold up the link noticeably.
inline constexpr int kBusyTimeoutMs = 1000;

// Write-ahead journal, and commits that survive the program's end (not a
// power cut) without waiting for the disk.
bool UseWriteAheadJournal(SqliteDatabase& db);
// The table and its indexes in a new, empty file, and the schema version.
bool CreateSchema(SqliteDatabase& db);
