// Opening the store: the dialog's plain open, and the recorder's open that
// puts a damaged file aside and begins a new one. A file is moved only when
// it is proven damaged; any other trouble leaves every file as it is.

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <ostream>
#include <string_view>
#include <system_error>

#include "history/CallStore.h"
#include "history/CallStoreSchema.h"
#include "platform/PrivateFiles.h"

namespace fs = std::filesystem;

namespace {

// A new history needs a few pages, its journal and the journal's index.
constexpr std::uint64_t kRoomForNewStore = 256 * 1024;
// Less than this and not even one call's page goes in.
constexpr std::uint64_t kLeastRoomToWrite = 16 * 1024;
constexpr const char* kJournals[] = {"-wal", "-shm"};

std::string DateText(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

bool Exists(const fs::path& path) {
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// "<path>.damaged-<date>", with a counter when that name is taken already.
fs::path AsideName(const fs::path& path, std::time_t now) {
    const std::string base = path.string() + ".damaged-" + DateText(now);
    fs::path candidate = base;
    for (int n = 2; Exists(candidate) && n < 1000; ++n) candidate = base + "-" + std::to_string(n);
    return candidate;
}

// Renames the file and its journals; on any failure what was renamed goes
// back, so the file never loses its journal.
bool MoveWithJournals(const fs::path& from, const fs::path& to) {
    std::error_code error;
    fs::rename(from, to, error);
    if (error) return false;
    std::vector<std::string> moved;
    for (const char* suffix : kJournals) {
        const fs::path journal = from.string() + suffix;
        if (!Exists(journal)) continue;
        fs::rename(journal, to.string() + suffix, error);
        if (error) {
            for (const std::string& back : moved)
                fs::rename(to.string() + back, from.string() + back, error);
            fs::rename(to, from, error);
            return false;
        }
        moved.push_back(suffix);
    }
    return true;
}

void RemoveWithJournals(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
    for (const char* suffix : kJournals) fs::remove(path.string() + suffix, error);
}

// The journals a look at the file made, removed again when it is not used:
// an index is never data, and an empty journal holds none.
class JournalsMadeByALook {
public:
    explicit JournalsMadeByALook(const fs::path& file) : m_file(file) {
        for (size_t i = 0; i < std::size(kJournals); ++i)
            m_existed[i] = Exists(m_file.string() + kJournals[i]);
    }
    void Remove() const {
        std::error_code error;
        for (size_t i = 0; i < std::size(kJournals); ++i) {
            const fs::path journal = m_file.string() + kJournals[i];
            if (m_existed[i]) continue;
            const bool isIndex = std::string_view(kJournals[i]) == "-shm";
            if (isIndex || fs::file_size(journal, error) == 0) fs::remove(journal, error);
        }
    }

private:
    fs::path m_file;
    bool m_existed[std::size(kJournals)] = {};
};

enum class Verdict { Sound, Damaged, Trouble };

struct Assessment {
    Verdict verdict = Verdict::Trouble;
    CallStoreTrouble trouble = CallStoreTrouble::Unusable;
    std::string reason;
};

Assessment FromFailure(const SqliteDatabase& db) {
    const int code = db.LastErrorCode() & 0xff;
    Assessment a{Verdict::Trouble, CallStoreTrouble::Unusable, db.LastError()};
    if (code == SQLITE_CORRUPT || code == SQLITE_NOTADB)
        a.verdict = Verdict::Damaged;
    else if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        a.trouble = CallStoreTrouble::Locked;
    else if (code == SQLITE_FULL || db.LastSystemErrno() == ENOSPC)
        a.trouble = CallStoreTrouble::DiskFull;
    return a;
}

}  // namespace

Assessment QuickCheck(SqliteDatabase& db) {
    const auto check = db.QueryText("PRAGMA quick_check");
    if (!check) return FromFailure(db);
    if (*check != "ok")
        return {Verdict::Damaged, CallStoreTrouble::None, check->substr(0, check->find('\n'))};
    return {Verdict::Sound, CallStoreTrouble::None, {}};
}

// Opens and judges one file; the store is handed over only when sound.
struct CallStoreProbe {
    static Assessment Try(const std::string& path, bool create, std::unique_ptr<CallStore>& out,
                          bool checkWhole = true) {
        std::unique_ptr<CallStore> store(new CallStore);
        if (!store->m_db.Open(path, false)) return FromFailure(store->m_db);
        // SQLite falls back to reading a file it may not write: that is a
        // look, and its journals must not stay.
        if (sqlite3_db_readonly(store->m_db.Handle(), "main") == 1)
            return {Verdict::Trouble, CallStoreTrouble::ReadOnly, "the file is read-only"};
        return Judge(std::move(store), create, out, checkWhole);
    }

    // Opened only to be read: with no journal in use, SQLite is told that
    // nothing changes it, so that it makes no journal of its own.
    static Assessment Look(const std::string& path, std::unique_ptr<CallStore>& out) {
        std::unique_ptr<CallStore> store(new CallStore);
        store->m_readOnly = true;
        std::error_code error;
        const auto journal = fs::file_size(path + "-wal", error);
        const bool unchanging = error || journal == 0;
        if (!store->m_db.OpenToRead(path, unchanging)) return FromFailure(store->m_db);
        return Judge(std::move(store), false, out, false);
    }

    static Assessment Judge(std::unique_ptr<CallStore> store, bool create,
                            std::unique_ptr<CallStore>& out, bool checkWhole) {
        SqliteDatabase& db = store->m_db;
        // Waiting for another writer applies from the first statement on,
        // and nothing goes back to the file until it has shown to be ours.
        sqlite3_busy_timeout(db.Handle(), kBusyTimeoutMs);
        db.SetWriteBackOnClose(false);
        const auto version = db.QueryInt("PRAGMA user_version");
        if (!version) return FromFailure(db);
        if (*version > CALL_STORE_SCHEMA_VERSION)
            return {Verdict::Trouble, CallStoreTrouble::Newer,
                    "schema version " + std::to_string(*version)};
        if (*version < 0) return {Verdict::Damaged, CallStoreTrouble::None, "not a call history"};
        // The whole file is checked before it is written to (here, or by
        // CheckWhole); a read finds damage on the pages it reads.
        if (create && checkWhole) {
            if (const Assessment check = QuickCheck(db); check.verdict != Verdict::Sound)
                return check;
        }
        if (!store->Prepare(create)) {
            Assessment a = FromFailure(db);
            // Sound to SQLite but not our table at our version: a foreign file.
            if ((db.LastErrorCode() & 0xff) == SQLITE_ERROR) a.verdict = Verdict::Damaged;
            return a;
        }
        db.SetWriteBackOnClose(true);
        out = std::move(store);
        return {Verdict::Sound, CallStoreTrouble::None, {}};
    }
};

std::string CallStoreReadOnlyReason(const std::string& path) {
    const fs::path file(path);
    if (std::string reason = ReadOnlyReason(path); !reason.empty()) return reason;
    return ReadOnlyReason(file.has_parent_path() ? file.parent_path().string() : ".");
}

CallStoreOpening CallStore::OpenToRead(const std::string& path) {
    CallStoreOpening opening;
    if (!Exists(path)) return opening;
    const JournalsMadeByALook journals(path);
    Assessment a{Verdict::Trouble, CallStoreTrouble::ReadOnly, CallStoreReadOnlyReason(path)};
    if (a.reason.empty()) {
        a = CallStoreProbe::Try(path, false, opening.store);
        if (a.verdict == Verdict::Sound) return opening;
        journals.Remove();
    }
    // What cannot be written (read-only, a full disk) may still be read; a
    // damaged or newer file is not, nor one another program holds alone:
    // what it writes meanwhile would be read half done.
    if (a.verdict != Verdict::Damaged && a.trouble != CallStoreTrouble::Newer &&
        a.trouble != CallStoreTrouble::Locked) {
        const Assessment look = CallStoreProbe::Look(path, opening.store);
        if (look.verdict == Verdict::Sound) return opening;
        journals.Remove();
    }
    opening.trouble = a.verdict == Verdict::Damaged ? CallStoreTrouble::Unusable : a.trouble;
    opening.reason = a.reason;
    return opening;
}

std::unique_ptr<CallStore> CallStore::OpenExisting(const std::string& path) {
    return OpenToRead(path).store;
}

CallStoreCheck CallStore::CheckWhole(const std::string& path, const std::atomic<bool>& cancel) {
    CallStoreCheck found;
    SqliteDatabase db;
    // Trouble other than damage is for the writes to find and tell.
    if (!db.Open(path, false)) return found;
    sqlite3_busy_timeout(db.Handle(), kBusyTimeoutMs);
    sqlite3_progress_handler(
        db.Handle(), 1000,
        [](void* stop) { return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0; },
        const_cast<std::atomic<bool>*>(&cancel));
    const Assessment check = QuickCheck(db);
    if (cancel) return found;
    if (check.verdict == Verdict::Damaged) {
        found.damaged = true;
        found.reason = check.reason;
        return found;
    }
    SqliteStatement close(db.Handle(), "UPDATE calls SET in_progress = 0 WHERE in_progress <> 0");
    if (check.verdict == Verdict::Sound && close.Run()) found.closed = sqlite3_changes(db.Handle());
    return found;
}

CallStoreOpening CallStore::Open(const std::string& path, std::time_t now, bool checkWhole) {
    CallStoreOpening opening;
    const fs::path file(path);
    const auto fail = [&opening](CallStoreTrouble trouble, std::string reason) {
        opening.store.reset();
        opening.trouble = trouble;
        opening.reason = std::move(reason);
        return std::move(opening);
    };
    // Made private before SQLite opens it, so that the journals it creates
    // beside it take its mode.
    int fileErrno = 0;
    const auto makeFile = [&file, &fileErrno](bool& created) {
        std::string problem = MakePrivateFile(file.string(), created);
        fileErrno = errno;
        for (const char* suffix : kJournals) NarrowToOwner(file.string() + suffix);
        return problem;
    };
    // What its owner made read-only stays so, and is not written to.
    if (std::string reason = CallStoreReadOnlyReason(path); !reason.empty())
        return fail(CallStoreTrouble::ReadOnly, reason);
    if (file.has_parent_path()) {
        if (std::string problem = MakePrivateFolder(file.parent_path().string()); !problem.empty())
            return fail(CallStoreTrouble::Unusable, problem);
    }
    // A disk without room fails every write: said without reading the file.
    const std::string folder = file.parent_path().empty() ? "." : file.parent_path().string();
    if (const auto free = FreeBytes(folder); free && *free < kLeastRoomToWrite)
        return fail(CallStoreTrouble::DiskFull, std::strerror(ENOSPC));
    bool created = false;
    if (std::string problem = makeFile(created); !problem.empty())
        return fail(fileErrno == ENOSPC ? CallStoreTrouble::DiskFull : CallStoreTrouble::Unusable,
                    problem);
    const JournalsMadeByALook journals(file);
    const Assessment first = CallStoreProbe::Try(path, true, opening.store, checkWhole);
    if (first.verdict == Verdict::Sound) return opening;
    journals.Remove();
    if (created) RemoveWithJournals(file);  // nothing of the user's was in it
    if (first.verdict != Verdict::Damaged) return fail(first.trouble, first.reason);

    // Damaged: moved aside only when a new history has room beside it.
    const auto free = FreeBytes(folder);
    if (free && *free < kRoomForNewStore)
        return fail(CallStoreTrouble::DiskFull, first.reason + "; no room for a new history");
    const fs::path aside = AsideName(file, now);
    if (!MoveWithJournals(file, aside))
        return fail(CallStoreTrouble::Unusable, first.reason + "; it could not be moved aside");
    NarrowToOwner(aside.string());
    for (const char* suffix : kJournals) NarrowToOwner(aside.string() + suffix);

    Assessment fresh{Verdict::Trouble, CallStoreTrouble::Unusable, {}};
    fresh.reason = makeFile(created);
    if (fresh.reason.empty()) fresh = CallStoreProbe::Try(path, true, opening.store);
    if (fresh.verdict == Verdict::Sound) {
        opening.trouble = CallStoreTrouble::MovedAside;
        opening.reason = first.reason;
        opening.aside = aside.string();
        return opening;
    }
    // No new history after all: the old one goes back where it was.
    RemoveWithJournals(file);
    MoveWithJournals(aside, file);
    return fail(fresh.trouble, fresh.reason);
}

std::unique_ptr<CallStore> CallStore::OpenForRecording(const std::string& path, std::time_t now,
                                                       std::ostream& diagnostics) {
    CallStoreOpening opening = Open(path, now);
    if (opening.trouble == CallStoreTrouble::MovedAside) {
        diagnostics << "telvoxa: call history " << path << " was damaged (" << opening.reason
                    << "); moved to " << opening.aside << ", a new one begun\n";
    } else if (opening.trouble != CallStoreTrouble::None) {
        diagnostics << "telvoxa: call history " << path << " cannot be used (" << opening.reason
                    << "); calls are not recorded\n";
    }
    return std::move(opening.store);
}
