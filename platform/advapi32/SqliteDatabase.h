// SqliteDatabase and SqliteStatement: thin owners of one SQLite connection
// and one prepared statement, so that code outside this file never sees
// <sqlite3.h>. Result codes are SQLite's own numbers (SqliteResult below);
// extended result codes are on, so callers compare the primary code with
// SqlitePrimary(rc).
//
// Used by the registry store, and by benchmarks that measure raw SQLite
// against it on the same file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace platform {

// SQLite's primary result codes, with their stable numeric values.
namespace SqliteResult {
constexpr int Ok = 0;
constexpr int Error = 1;
constexpr int Perm = 3;
constexpr int Abort = 4;
constexpr int Busy = 5;
constexpr int Locked = 6;
constexpr int NoMem = 7;
constexpr int ReadOnly = 8;
constexpr int IoErr = 10;
constexpr int Corrupt = 11;
constexpr int Full = 13;
constexpr int CantOpen = 14;
constexpr int Protocol = 15;
constexpr int TooBig = 18;
constexpr int Constraint = 19;
constexpr int Misuse = 21;
constexpr int Auth = 23;
constexpr int NotADb = 26;
constexpr int Row = 100;
constexpr int Done = 101;
}  // namespace SqliteResult

constexpr int SqlitePrimary(int rc) { return rc & 0xFF; }
constexpr bool SqliteIsBusy(int rc)
{
    return SqlitePrimary(rc) == SqliteResult::Busy || SqlitePrimary(rc) == SqliteResult::Locked;
}

class SqliteStatement;

class SqliteDatabase {
public:
    enum class OpenMode {
        ReadOnly,           // never writes the database
        ReadWrite,          // the file must exist
        ReadWriteCreate,    // creates the file when it is missing
        ReadOnlyImmutable,  // read-only, assuming nobody changes the file (no -shm needed)
        InMemory,           // a private database in memory; the path is ignored
    };

    SqliteDatabase() = default;
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;
    ~SqliteDatabase();

    // Opens the file; on failure nothing stays open.
    int Open(const std::string& path, OpenMode mode);
    void Close();
    bool IsOpen() const { return m_db != nullptr; }
    // Whether the open connection can only read (also when a read-write open
    // was granted read-only access by SQLite).
    bool IsReadOnly() const;

    // Waits up to ms milliseconds for a lock before SQLITE_BUSY.
    void SetBusyTimeout(int ms);
    // Keeps the -wal and -shm files when the last connection closes, so that
    // readers without write access to the folder can still open the store.
    void SetPersistentWal(bool on);

    // Runs statements that return no rows.
    int Exec(const char* sql);
    // Runs one statement that returns a single integer (PRAGMA, count(*)).
    int QueryInt(const char* sql, std::int64_t& out);
    int Prepare(std::string_view sql, SqliteStatement& statement);

    std::int64_t LastInsertRowid() const;
    int Changes() const;
    std::string ErrorMessage() const;

private:
    void* m_db = nullptr;  // sqlite3*
};

class SqliteStatement {
public:
    SqliteStatement() = default;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;
    ~SqliteStatement();

    bool IsPrepared() const { return m_stmt != nullptr; }
    void Finalize();

    // Parameters count from 1, as in SQL.
    int BindInt(int index, std::int64_t value);
    int BindText(int index, std::string_view text);
    int BindBlob(int index, const void* data, std::size_t cb);
    int BindNull(int index);

    // SqliteResult::Row, Done or an error.
    int Step();
    // Ready for new bindings and a new run.
    void Reset();

    // Columns count from 0.
    std::int64_t ColumnInt(int column) const;
    std::string_view ColumnText(int column) const;
    const void* ColumnBlob(int column) const;
    std::size_t ColumnBytes(int column) const;

private:
    friend class SqliteDatabase;
    void* m_stmt = nullptr;  // sqlite3_stmt*
};

// Resets a statement when the scope ends, however it is left.
class SqliteResetGuard {
public:
    explicit SqliteResetGuard(SqliteStatement& s) : m_s(s) {}
    SqliteResetGuard(const SqliteResetGuard&) = delete;
    SqliteResetGuard& operator=(const SqliteResetGuard&) = delete;
    ~SqliteResetGuard() { m_s.Reset(); }

private:
    SqliteStatement& m_s;
};

}  // namespace platform
