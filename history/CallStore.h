#pragma once
// The call history on disk: one SQLite table of calls (schema version in
// PRAGMA user_version, write-ahead journal). Each connection belongs to one
// thread; the recorder and the history dialog each open their own, so a
// long read never holds up a write.

#include <atomic>
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

// Why the history on disk is not used as it is. Only Damaged files are ever
// moved; every other trouble leaves the files exactly as they are.
enum class CallStoreTrouble {
    None,
    MovedAside,  // damaged: put aside, a new history begun
    Locked,      // another program holds it
    DiskFull,
    ReadOnly,  // its file, folder or file system only to be read
    Newer,     // written by a newer Telvoxa
    Unusable,  // cannot be opened, read or written for another reason
};

class CallStore;

// What opening the history gave: the store (null when calls are not
// recorded), what was wrong and, for a damaged file, where it went.
struct CallStoreOpening {
    std::unique_ptr<CallStore> store;
    CallStoreTrouble trouble = CallStoreTrouble::None;
    std::string reason;  // the system's or SQLite's words
    std::string aside;   // the damaged file's new path
};

// Why the store at `path` may only be read (its file, its folder or their
// file system); empty when it may be written.
std::string CallStoreReadOnlyReason(const std::string& path);

// What the integrity check found.
struct CallStoreCheck {
    bool damaged = false;
    std::string reason;  // the check's first complaint
    int closed = 0;      // records a crash had left in progress
};

struct MonthSummary {
    int calls = 0;
    std::int64_t chargeYen = 0;
};

class CallStore {
public:
    // Opens an existing, sound store; no store when there is none, it is
    // damaged, busy or was written by a newer program. Creates nothing,
    // repairs nothing. A store that cannot be written (read-only, a full
    // disk) is opened only to be read where SQLite can read it, and such a
    // look leaves no journal behind.
    static CallStoreOpening OpenToRead(const std::string& path);
    static std::unique_ptr<CallStore> OpenExisting(const std::string& path);

    // The recorder's open: creates the private folder (0700) and store (0600)
    // when missing. Only a file proven damaged (SQLite finds it corrupt or no
    // database, or its integrity check fails) is renamed to
    // "<path>.damaged-<date>" (with its journal) and a new store begun, and
    // only when there is room for the new one; if that cannot be made the old
    // file is put back. Locked, full, unreadable or newer files stay as they
    // are and no store is given. Never leaves an empty file behind.
    // `checkWhole` false leaves out the integrity check, which reads the
    // whole file: then CheckWhole must be done before the first write.
    static CallStoreOpening Open(const std::string& path, std::time_t now, bool checkWhole = true);
    // The integrity check on a connection of its own (for another thread),
    // then the records a crash left in progress closed. Setting `cancel`
    // stops it, and nothing is found then.
    static CallStoreCheck CheckWhole(const std::string& path, const std::atomic<bool>& cancel);
    // The same, with one line on `diagnostics` for any trouble.
    static std::unique_ptr<CallStore> OpenForRecording(const std::string& path, std::time_t now,
                                                       std::ostream& diagnostics);

    // Writes, each its own transaction. Insert gives the new record's id.
    std::optional<std::int64_t> Insert(const CallRecord& record);
    enum class UpdateResult { Written, NoSuchRecord, Failed };
    UpdateResult Update(const CallRecord& record);
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
    // Opened only to be read: every write fails.
    bool IsReadOnly() const { return m_readOnly; }

    // The reason of the last failed write, and whether it was a full disk.
    std::string LastError() const { return m_db.LastError(); }
    bool LastErrorWasDiskFull() const;

private:
    CallStore() = default;
    // Schema and statements on an open connection; false when the file is
    // not a usable store.
    bool Prepare(bool create);
    friend struct CallStoreProbe;

    SqliteDatabase m_db;
    bool m_readOnly = false;
    SqliteStatement m_insert;
    SqliteStatement m_update;
};
