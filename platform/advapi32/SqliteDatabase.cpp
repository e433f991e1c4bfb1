#include "platform/advapi32/SqliteDatabase.h"

#include <sqlite3.h>

#include <climits>

namespace platform {

namespace {

sqlite3* Db(void* p) { return static_cast<sqlite3*>(p); }
sqlite3_stmt* Stmt(void* p) { return static_cast<sqlite3_stmt*>(p); }

// "file:" URI for a path, every byte outside the unreserved set and '/'
// percent-encoded, so that '?', '#' and '%' in folder names stay part of the path.
std::string FileUri(const std::string& path, const char* query)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string uri = "file:";
    for (unsigned char c : path) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                           c == '-' || c == '.' || c == '_' || c == '~';
        if (plain) {
            uri += static_cast<char>(c);
        } else {
            uri += '%';
            uri += hex[c >> 4];
            uri += hex[c & 0xF];
        }
    }
    uri += query;
    return uri;
}

}  // namespace

SqliteDatabase::~SqliteDatabase() { Close(); }

int SqliteDatabase::Open(const std::string& path, OpenMode mode)
{
    Close();
    int flags = SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    std::string name = FileUri(path, "");
    switch (mode) {
    case OpenMode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
    case OpenMode::ReadWrite: flags |= SQLITE_OPEN_READWRITE; break;
    case OpenMode::ReadWriteCreate: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case OpenMode::ReadOnlyImmutable:
        flags |= SQLITE_OPEN_READONLY;
        name = FileUri(path, "?immutable=1");
        break;
    case OpenMode::InMemory:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        name = ":memory:";
        break;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (db != nullptr)
            rc = sqlite3_extended_errcode(db);
        sqlite3_close_v2(db);
        return rc;
    }
    sqlite3_extended_result_codes(db, 1);
    m_db = db;
    return SQLITE_OK;
}

void SqliteDatabase::Close()
{
    if (m_db != nullptr) {
        // Statements are owned by their SqliteStatement objects; close_v2
        // defers the close until the last of them is finalized.
        sqlite3_close_v2(Db(m_db));
        m_db = nullptr;
    }
}

bool SqliteDatabase::IsReadOnly() const { return m_db == nullptr || sqlite3_db_readonly(Db(m_db), "main") != 0; }

void SqliteDatabase::SetBusyTimeout(int ms)
{
    if (m_db != nullptr)
        sqlite3_busy_timeout(Db(m_db), ms);
}

void SqliteDatabase::SetPersistentWal(bool on)
{
    if (m_db == nullptr)
        return;
    int flag = on ? 1 : 0;
    sqlite3_file_control(Db(m_db), "main", SQLITE_FCNTL_PERSIST_WAL, &flag);
}

int SqliteDatabase::Exec(const char* sql)
{
    if (m_db == nullptr)
        return SQLITE_MISUSE;
    return sqlite3_exec(Db(m_db), sql, nullptr, nullptr, nullptr);
}

int SqliteDatabase::QueryInt(const char* sql, std::int64_t& out)
{
    SqliteStatement s;
    int rc = Prepare(sql, s);
    if (rc != SQLITE_OK)
        return rc;
    rc = s.Step();
    if (rc == SQLITE_ROW) {
        out = s.ColumnInt(0);
        return SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_ERROR : rc;
}

int SqliteDatabase::Prepare(std::string_view sql, SqliteStatement& statement)
{
    statement.Finalize();
    if (m_db == nullptr)
        return SQLITE_MISUSE;
    if (sql.size() > static_cast<std::size_t>(INT_MAX))
        return SQLITE_TOOBIG;
    sqlite3_stmt* s = nullptr;
    const int rc = sqlite3_prepare_v3(Db(m_db), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                                      &s, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        return rc;
    }
    statement.m_stmt = s;
    return SQLITE_OK;
}

std::int64_t SqliteDatabase::LastInsertRowid() const
{
    return m_db != nullptr ? sqlite3_last_insert_rowid(Db(m_db)) : 0;
}

int SqliteDatabase::Changes() const { return m_db != nullptr ? sqlite3_changes(Db(m_db)) : 0; }

std::string SqliteDatabase::ErrorMessage() const
{
    return m_db != nullptr ? std::string(sqlite3_errmsg(Db(m_db))) : std::string("no database open");
}

SqliteStatement::~SqliteStatement() { Finalize(); }

void SqliteStatement::Finalize()
{
    if (m_stmt != nullptr) {
        sqlite3_finalize(Stmt(m_stmt));
        m_stmt = nullptr;
    }
}

int SqliteStatement::BindInt(int index, std::int64_t value)
{
    return sqlite3_bind_int64(Stmt(m_stmt), index, static_cast<sqlite3_int64>(value));
}

int SqliteStatement::BindText(int index, std::string_view text)
{
    // An empty view may have no data at all; it is still text (''), never
    // NULL, which SQLite would make of a null pointer.
    const char* p = text.data() != nullptr ? text.data() : "";
    return sqlite3_bind_text64(Stmt(m_stmt), index, p, text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

int SqliteStatement::BindBlob(int index, const void* data, std::size_t cb)
{
    // A zero-length blob, never NULL, so that an empty value stays a value.
    if (cb == 0)
        return sqlite3_bind_zeroblob(Stmt(m_stmt), index, 0);
    return sqlite3_bind_blob64(Stmt(m_stmt), index, data, cb, SQLITE_TRANSIENT);
}

int SqliteStatement::BindNull(int index) { return sqlite3_bind_null(Stmt(m_stmt), index); }

int SqliteStatement::Step() { return m_stmt != nullptr ? sqlite3_step(Stmt(m_stmt)) : SQLITE_MISUSE; }

void SqliteStatement::Reset()
{
    if (m_stmt != nullptr) {
        sqlite3_reset(Stmt(m_stmt));
        sqlite3_clear_bindings(Stmt(m_stmt));
    }
}

std::int64_t SqliteStatement::ColumnInt(int column) const { return sqlite3_column_int64(Stmt(m_stmt), column); }

std::string_view SqliteStatement::ColumnText(int column) const
{
    const unsigned char* t = sqlite3_column_text(Stmt(m_stmt), column);
    const int n = sqlite3_column_bytes(Stmt(m_stmt), column);
    if (t == nullptr || n <= 0)
        return {};
    return std::string_view(reinterpret_cast<const char*>(t), static_cast<std::size_t>(n));
}

const void* SqliteStatement::ColumnBlob(int column) const { return sqlite3_column_blob(Stmt(m_stmt), column); }

std::size_t SqliteStatement::ColumnBytes(int column) const
{
    const int n = sqlite3_column_bytes(Stmt(m_stmt), column);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

}  // namespace platform
