// Opening the store: the dialog's plain open, and the recorder's open that
// puts a damaged file aside and begins a new one.

#include <filesystem>
#include <ostream>
#include <system_error>

#include "history/CallStore.h"

namespace fs = std::filesystem;

namespace {

std::string DateText(std::time_t now) {
    std::tm local{};
    localtime_r(&now, &local);
    char text[16] = {};
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

// "<path>.damaged-<date>", with a counter when that name is taken already.
fs::path AsideName(const fs::path& path, std::time_t now) {
    const std::string base = path.string() + ".damaged-" + DateText(now);
    std::error_code error;
    fs::path candidate = base;
    for (int n = 2; fs::exists(fs::symlink_status(candidate, error)) && n < 1000; ++n) {
        candidate = base + "-" + std::to_string(n);
    }
    return candidate;
}

// Moves the file and its journal aside; false when the file stays in the way.
bool MoveAside(const fs::path& path, const fs::path& aside) {
    std::error_code error;
    fs::rename(path, aside, error);
    if (error && fs::exists(fs::symlink_status(path, error))) return false;
    for (const char* suffix : {"-wal", "-shm"}) {
        const fs::path journal = path.string() + suffix;
        std::error_code journalError;
        if (!fs::exists(fs::symlink_status(journal, journalError))) continue;
        // A stale journal must never be taken for the new file's own.
        fs::rename(journal, aside.string() + suffix, journalError);
        if (journalError) fs::remove(journal, journalError);
    }
    return true;
}

bool IsSound(SqliteDatabase& db) {
    const auto check = db.QueryText("PRAGMA quick_check");
    return check && *check == "ok";
}

}  // namespace

std::unique_ptr<CallStore> CallStore::OpenExisting(const std::string& path) {
    std::unique_ptr<CallStore> store(new CallStore);
    if (!store->m_db.Open(path, false) || !store->Prepare(false)) return nullptr;
    return store;
}

std::unique_ptr<CallStore> CallStore::OpenForRecording(const std::string& path, std::time_t now,
                                                       std::ostream& diagnostics) {
    std::error_code error;
    const fs::path file(path);
    if (file.has_parent_path()) fs::create_directories(file.parent_path(), error);

    std::unique_ptr<CallStore> store(new CallStore);
    if (store->m_db.Open(path, true) && IsSound(store->m_db) && store->Prepare(true)) return store;
    std::string reason = store->m_db.LastError();
    store.reset();

    // Only a file that is there can be put aside; a folder that cannot be
    // written gives no store at all.
    if (fs::exists(fs::symlink_status(file, error))) {
        const fs::path aside = AsideName(file, now);
        if (!MoveAside(file, aside)) {
            diagnostics << "telvoxa: call history " << path << " cannot be used (" << reason
                        << "); calls are not recorded\n";
            return nullptr;
        }
        store.reset(new CallStore);
        if (store->m_db.Open(path, true) && store->Prepare(true)) {
            diagnostics << "telvoxa: call history " << path << " was damaged (" << reason
                        << "); moved to " << aside.string() << ", a new one begun\n";
            return store;
        }
        reason = store->m_db.LastError();
    }
    diagnostics << "telvoxa: call history " << path << " cannot be created (" << reason
                << "); calls are not recorded\n";
    return nullptr;
}
