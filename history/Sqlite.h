#pragma once
// A thin owner of SQLite connections and statements: nothing leaks and every
// failure comes back as a result, never as an exception.

#include <sqlite3.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(sqlite3* db, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&& other) noexcept;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    bool IsValid() const { return m_stmt != nullptr; }
    // Binding, 1-based as SQLite counts; a null optional binds NULL.
    void Bind(int index, std::int64_t value);
    void Bind(int index, std::string_view text);
    void Bind(int index, std::optional<std::int64_t> value);
    // One step: SQLITE_ROW, SQLITE_DONE or an error code.
    int Step();
    // Runs the statement to its end; true when it finished without error.
    bool Run();
    // Makes the statement ready for the next run, bindings cleared.
    void Reset();

    std::int64_t Int(int column) const;
    std::optional<std::int64_t> OptionalInt(int column) const;
    std::string Text(int column) const;

private:
    sqlite3_stmt* m_stmt = nullptr;
};

class SqliteDatabase {
public:
    SqliteDatabase() = default;
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    // Opens `path` read-write, creating the file only when `create` is set;
    // never through a final symbolic link.
    bool Open(const std::string& path, bool create);
    // Opens `path` only to read it. `unchanging` promises that nothing writes
    // the file meanwhile: SQLite then takes no lock and makes no journal.
    bool OpenToRead(const std::string& path, bool unchanging);
    void Close();
    sqlite3* Handle() const { return m_db; }
    bool IsOpen() const { return m_db != nullptr; }

    // Runs one or more statements without results.
    bool Execute(std::string_view sql);
    // The first column of the first row, if the query gives one.
    std::optional<std::int64_t> QueryInt(std::string_view sql);
    std::optional<std::string> QueryText(std::string_view sql);
    std::string LastError() const;
    // The extended result code of the last failure (of the open too), and
    // the system's errno behind it where there was one.
    int LastErrorCode() const;
    int LastSystemErrno() const;
    // While set, closing writes nothing back (no checkpoint of the journal):
    // a file not yet known to be ours is left as it was found.
    void SetWriteBackOnClose(bool writeBack);

private:
    bool OpenWith(const std::string& name, int flags);

    sqlite3* m_db = nullptr;
    int m_openError = SQLITE_OK;
    std::string m_openMessage;
};
