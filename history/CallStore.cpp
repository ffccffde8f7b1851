#include "history/CallStore.h"

#include "history/CallStoreSchema.h"

#include <algorithm>
#include <cerrno>

namespace {

constexpr const char* kColumns =
    "id, started, last_event, direction, number, name, outcome, seconds_on_line, charge_yen, "
    "in_progress, seen";

CallRecord ReadRecord(const SqliteStatement& row) {
    CallRecord record;
    record.id = row.Int(0);
    record.started = static_cast<std::time_t>(row.Int(1));
    record.lastEvent = static_cast<std::time_t>(row.Int(2));
    record.direction = DirectionFromWord(row.Text(3)).value_or(CallDirection::Incoming);
    record.number = row.Text(4);
    record.name = row.Text(5);
    record.outcome = OutcomeFromWord(row.Text(6)).value_or(CallOutcome::Missed);
    record.secondsOnLine = static_cast<int>(row.Int(7));
    if (const auto charge = row.OptionalInt(8)) record.chargeYen = static_cast<int>(*charge);
    record.inProgress = row.Int(9) != 0;
    record.seen = row.Int(10) != 0;
    return record;
}

// Binds the record's fields 1..10 in column order after the id.
void BindRecord(SqliteStatement& statement, const CallRecord& record) {
    statement.Bind(1, static_cast<std::int64_t>(record.started));
    statement.Bind(2, static_cast<std::int64_t>(record.lastEvent));
    statement.Bind(3, std::string_view(DirectionWord(record.direction)));
    statement.Bind(4, std::string_view(record.number));
    statement.Bind(5, std::string_view(record.name));
    statement.Bind(6, std::string_view(OutcomeWord(record.outcome)));
    statement.Bind(7, static_cast<std::int64_t>(record.secondsOnLine));
    statement.Bind(
        8, record.chargeYen ? std::optional<std::int64_t>(*record.chargeYen) : std::nullopt);
    statement.Bind(9, static_cast<std::int64_t>(record.inProgress ? 1 : 0));
    statement.Bind(10, static_cast<std::int64_t>(record.seen ? 1 : 0));
}

// Seconds since the epoch of the first moment of a local month.
std::int64_t MonthStart(int year, int month) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;  // mktime carries month 13 into the next year
    tm.tm_mday = 1;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

}  // namespace

bool CallStore::Prepare(bool create) {
    // Nothing is written to a file until it has shown to be ours, so a
    // foreign one is put aside unchanged.
    const auto version = m_db.QueryInt("PRAGMA user_version");
    if (!version) return false;
    if (*version == 0) {
        if (!create || !CreateSchema(m_db)) return false;
    } else if (*version != CALL_STORE_SCHEMA_VERSION) {
        return false;
    }
    m_insert = SqliteStatement(
        m_db.Handle(),
        "INSERT INTO calls (started, last_event, direction, number, name, outcome, "
        "seconds_on_line, charge_yen, in_progress, seen) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, "
        "?9, ?10)");
    m_update = SqliteStatement(
        m_db.Handle(),
        "UPDATE calls SET started = ?1, last_event = ?2, direction = ?3, number = ?4, name = ?5, "
        "outcome = ?6, seconds_on_line = ?7, charge_yen = ?8, in_progress = ?9, seen = ?10 "
        "WHERE id = ?11");
    // A look that only reads leaves the journal as it found it.
    return m_insert.IsValid() && m_update.IsValid() && (m_readOnly || UseWriteAheadJournal(m_db));
}

std::optional<std::int64_t> CallStore::Insert(const CallRecord& record) {
    BindRecord(m_insert, record);
    if (!m_insert.Run()) return std::nullopt;
    return sqlite3_last_insert_rowid(m_db.Handle());
}

CallStore::UpdateResult CallStore::Update(const CallRecord& record) {
    BindRecord(m_update, record);
    m_update.Bind(11, record.id);
    if (!m_update.Run()) return UpdateResult::Failed;
    return sqlite3_changes(m_db.Handle()) == 1 ? UpdateResult::Written : UpdateResult::NoSuchRecord;
}

int CallStore::CloseInterrupted() {
    SqliteStatement close(m_db.Handle(), "UPDATE calls SET in_progress = 0 WHERE in_progress <> 0");
    return close.Run() ? sqlite3_changes(m_db.Handle()) : 0;
}

std::vector<CallRecord> CallStore::Rows(bool missedOnly) {
    std::string sql = std::string("SELECT ") + kColumns + " FROM calls";
    if (missedOnly) sql += " WHERE outcome = 'missed' AND in_progress = 0";
    // Read in the table's own order, which is the order the calls were
    // made in nearly always, and sorted here: walking the time index would
    // look each row up on its own.
    sql += " ORDER BY id DESC";
    SqliteStatement query(m_db.Handle(), sql);
    std::vector<CallRecord> rows;
    while (query.Step() == SQLITE_ROW) rows.push_back(ReadRecord(query));
    const auto newerFirst = [](const CallRecord& a, const CallRecord& b) {
        return a.started != b.started ? a.started > b.started : a.id > b.id;
    };
    if (!std::is_sorted(rows.begin(), rows.end(), newerFirst))
        std::sort(rows.begin(), rows.end(), newerFirst);
    return rows;
}

MonthSummary CallStore::Month(int year, int month) {
    SqliteStatement query(m_db.Handle(),
                          "SELECT count(*), coalesce(sum(charge_yen), 0) FROM calls "
                          "WHERE started >= ?1 AND started < ?2");
    query.Bind(1, MonthStart(year, month));
    query.Bind(2, MonthStart(year, month + 1));
    MonthSummary summary;
    if (query.Step() == SQLITE_ROW) {
        summary.calls = static_cast<int>(query.Int(0));
        summary.chargeYen = query.Int(1);
    }
    return summary;
}

int CallStore::UnseenMissedCount() {
    return static_cast<int>(m_db.QueryInt("SELECT count(*) FROM calls WHERE seen = 0 AND outcome = "
                                          "'missed' AND in_progress = 0")
                                .value_or(0));
}

bool CallStore::MarkMissedSeen() {
    return m_db.Execute("UPDATE calls SET seen = 1 WHERE seen = 0 AND in_progress = 0");
}

int CallStore::SchemaVersion() {
    return static_cast<int>(m_db.QueryInt("PRAGMA user_version").value_or(0));
}

bool CallStore::LastErrorWasDiskFull() const {
    return (m_db.LastErrorCode() & 0xff) == SQLITE_FULL || m_db.LastSystemErrno() == ENOSPC;
}

std::string CallStore::JournalMode() {
    return m_db.QueryText("PRAGMA journal_mode").value_or("");
}
