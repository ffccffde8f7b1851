#include "history/Sqlite.h"

#include <cstdio>
#include <utility>

SqliteStatement::SqliteStatement(sqlite3* db, std::string_view sql) {
    if (!db) return;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &m_stmt, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(m_stmt);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

void SqliteStatement::Bind(int index, std::int64_t value) {
    if (m_stmt) sqlite3_bind_int64(m_stmt, index, value);
}

void SqliteStatement::Bind(int index, std::string_view text) {
    if (m_stmt)
        sqlite3_bind_text(m_stmt, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
}

void SqliteStatement::Bind(int index, std::optional<std::int64_t> value) {
    if (!m_stmt) return;
    if (value)
        sqlite3_bind_int64(m_stmt, index, *value);
    else
        sqlite3_bind_null(m_stmt, index);
}

int SqliteStatement::Step() {
    return m_stmt ? sqlite3_step(m_stmt) : SQLITE_MISUSE;
}

bool SqliteStatement::Run() {
    int rc = Step();
    while (rc == SQLITE_ROW) rc = Step();
    Reset();
    return rc == SQLITE_DONE;
}

void SqliteStatement::Reset() {
    if (!m_stmt) return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

std::int64_t SqliteStatement::Int(int column) const {
    return m_stmt ? sqlite3_column_int64(m_stmt, column) : 0;
}

std::optional<std::int64_t> SqliteStatement::OptionalInt(int column) const {
    if (!m_stmt || sqlite3_column_type(m_stmt, column) == SQLITE_NULL) return std::nullopt;
    return sqlite3_column_int64(m_stmt, column);
}

std::string SqliteStatement::Text(int column) const {
    if (!m_stmt) return {};
    const auto* text = sqlite3_column_text(m_stmt, column);
    if (!text) return {};
    return std::string(reinterpret_cast<const char*>(text),
                       static_cast<size_t>(sqlite3_column_bytes(m_stmt, column)));
}

SqliteDatabase::~SqliteDatabase() {
    Close();
}

namespace {

// `path` as a file: URI, with the characters a URI gives a meaning escaped.
std::string FileUri(const std::string& path, std::string_view query) {
    std::string uri = "file:";
    for (const char c : path) {
        if (c == '%' || c == '?' || c == '#' || static_cast<unsigned char>(c) < 0x20) {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            uri += escaped;
        } else {
            uri += c;
        }
    }
    return uri + "?" + std::string(query);
}

}  // namespace

bool SqliteDatabase::Open(const std::string& path, bool create) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW;
    if (create) flags |= SQLITE_OPEN_CREATE;
    return OpenWith(path, flags);
}

bool SqliteDatabase::OpenToRead(const std::string& path, bool unchanging) {
    const int flags =
        SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_URI;
    return OpenWith(FileUri(path, unchanging ? "immutable=1" : "mode=ro"), flags);
}

bool SqliteDatabase::OpenWith(const std::string& name, int flags) {
    Close();
    m_openError = sqlite3_open_v2(name.c_str(), &m_db, flags, nullptr);
    if (m_openError != SQLITE_OK) {
        m_openError = m_db ? sqlite3_extended_errcode(m_db) : m_openError;
        m_openMessage = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(m_openError);
        if (m_db) sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    return true;
}

void SqliteDatabase::Close() {
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool SqliteDatabase::Execute(std::string_view sql) {
    if (!m_db) return false;
    const std::string text(sql);
    return sqlite3_exec(m_db, text.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

std::optional<std::int64_t> SqliteDatabase::QueryInt(std::string_view sql) {
    SqliteStatement statement(m_db, sql);
    if (statement.Step() != SQLITE_ROW) return std::nullopt;
    return statement.Int(0);
}

std::optional<std::string> SqliteDatabase::QueryText(std::string_view sql) {
    SqliteStatement statement(m_db, sql);
    if (statement.Step() != SQLITE_ROW) return std::nullopt;
    return statement.Text(0);
}

std::string SqliteDatabase::LastError() const {
    if (m_db) return sqlite3_errmsg(m_db);
    return m_openError != SQLITE_OK ? m_openMessage : "not open";
}

int SqliteDatabase::LastErrorCode() const {
    return m_db ? sqlite3_extended_errcode(m_db) : m_openError;
}

int SqliteDatabase::LastSystemErrno() const {
    return m_db ? sqlite3_system_errno(m_db) : 0;
}

void SqliteDatabase::SetWriteBackOnClose(bool writeBack) {
    if (m_db) sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, writeBack ? 0 : 1, nullptr);
}
