#pragma once
// The calls table and the settings every connection to it uses.

#include "history/Sqlite.h"

// Write-ahead journal, commits that survive the program's end (not a power
// cut), and a short wait when the other connection is writing.
bool ApplyConnectionSettings(SqliteDatabase& db);
// The table and its indexes in a new, empty file, and the schema version.
bool CreateSchema(SqliteDatabase& db);
