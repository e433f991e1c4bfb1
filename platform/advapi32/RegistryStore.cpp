#include "platform/advapi32/RegistryStore.h"

#include "platform/advapi32/SqliteDatabase.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr LONG kErrorDiskFull = 112;
// SQLite waits this long for a lock before it reports SQLITE_BUSY ...
constexpr int kBusyTimeoutMs = 10000;
// ... and an operation retries busy results for this long in all.
constexpr auto kRetryBudget = std::chrono::seconds(60);
constexpr std::int64_t kSchemaVersion = 1;

// The format of the store. Keys form a tree through their parent links (the
// roots have none); ids are never reused, so a handle to a deleted key can
// tell that it is gone. Names are unique per parent in their folded form.
constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS keys("
    " id INTEGER PRIMARY KEY AUTOINCREMENT,"
    " parent INTEGER,"
    " name TEXT NOT NULL,"
    " name_folded TEXT NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS keys_by_parent ON keys(parent, name_folded);"
    "CREATE TABLE IF NOT EXISTS key_values("
    " id INTEGER PRIMARY KEY,"
    " key INTEGER NOT NULL,"
    " name TEXT NOT NULL,"
    " name_folded TEXT NOT NULL,"
    " type INTEGER NOT NULL,"
    " data BLOB NOT NULL);"
    "CREATE UNIQUE INDEX IF NOT EXISTS key_values_by_name ON key_values(key, name_folded);"
    "INSERT OR IGNORE INTO keys(id, parent, name, name_folded) VALUES"
    " (1, NULL, 'HKEY_CLASSES_ROOT', 'HKEY_CLASSES_ROOT'),"
    " (2, NULL, 'HKEY_CURRENT_USER', 'HKEY_CURRENT_USER'),"
    " (3, NULL, 'HKEY_LOCAL_MACHINE', 'HKEY_LOCAL_MACHINE'),"
    " (4, NULL, 'HKEY_USERS', 'HKEY_USERS');"
    "PRAGMA user_version = 1;";

// The sub-tree below (and including) ?1, as a common table expression.
#define SUBTREE_OF_KEY "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "
#define SUBTREE_BELOW_KEY \
    "WITH RECURSIVE sub(id) AS (SELECT id FROM keys WHERE parent = ?1 UNION ALL SELECT k.id FROM keys k JOIN sub ON k.parent = sub.id) "

enum StatementId {
    kKeyExists,
    kFindChild,
    kInsertKey,
    kHasChild,
    kValueMeta,
    kValueData,
    kUpsertValue,
    kDeleteValue,
    kEnumKey,
    kEnumValueMeta,
    kEnumValueData,
    kDeleteTreeValues,
    kDeleteTreeKeys,
    kDeleteContentValues,
    kDeleteContentKeys,
    kStatementCount
};

constexpr const char* kStatementSql[kStatementCount] = {
    "SELECT 1 FROM keys WHERE id = ?1",
    "SELECT id FROM keys WHERE parent = ?1 AND name_folded = ?2",
    "INSERT INTO keys(parent, name, name_folded) VALUES(?1, ?2, ?3)",
    "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1",
    "SELECT type, length(data), name FROM key_values WHERE key = ?1 AND name_folded = ?2",
    "SELECT type, data, name FROM key_values WHERE key = ?1 AND name_folded = ?2",
    "INSERT INTO key_values(key, name, name_folded, type, data) VALUES(?1, ?2, ?3, ?4, ?5)"
    " ON CONFLICT(key, name_folded) DO UPDATE SET type = excluded.type, data = excluded.data",
    "DELETE FROM key_values WHERE key = ?1 AND name_folded = ?2",
    "SELECT name FROM keys WHERE parent = ?1 ORDER BY name_folded LIMIT 1 OFFSET ?2",
    "SELECT type, length(data), name FROM key_values WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    "SELECT type, data, name FROM key_values WHERE key = ?1 ORDER BY id LIMIT 1 OFFSET ?2",
    SUBTREE_OF_KEY "DELETE FROM key_values WHERE key IN sub",
    SUBTREE_OF_KEY "DELETE FROM keys WHERE id IN sub",
    SUBTREE_BELOW_KEY "DELETE FROM key_values WHERE key IN sub OR key = ?1",
    SUBTREE_BELOW_KEY "DELETE FROM keys WHERE id IN sub",
};

bool IsRoot(RegistryKeyId id) { return id >= RegistryStore::kClassesRoot && id <= RegistryStore::kUsers; }

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool Writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

// The folder that holds the store (the store's own folder when it exists,
// else the nearest existing folder above it, where the missing ones will be made).
bool FolderAllowsStore(const std::string& storePath)
{
    fs::path dir = fs::path(storePath).parent_path();
    if (dir.empty())
        dir = ".";
    for (;;) {
        struct stat st {};
        if (::stat(dir.c_str(), &st) == 0)
            return S_ISDIR(st.st_mode) && ::access(dir.c_str(), W_OK | X_OK) == 0;
        if (errno != ENOENT || dir == dir.parent_path() || dir.parent_path().empty())
            return false;
        dir = dir.parent_path();
    }
}

// A set-group-id folder is shared by its group (the machine's store under
// /var/lib/brelvo belongs to root and the group of the desktop users who may
// write it). What the store makes there is the group's to write, whatever the
// umask of the process that happens to come first: SQLite gives its -wal and
// -shm the store's own mode, and the folder gives them its group.
constexpr mode_t kSharedStoreMode = 0664;
constexpr mode_t kSharedFolderMode = 02775;

bool IsSharedFolder(const fs::path& dir)
{
    struct stat st {};
    return ::stat(dir.empty() ? "." : dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISGID) != 0;
}

// mkdir -p; a folder made inside a shared folder is shared as well.
LONG MakeStoreFolders(const fs::path& dir)
{
    if (dir.empty() || Exists(dir.string()))
        return ERROR_SUCCESS;
    const LONG parent = MakeStoreFolders(dir.parent_path());
    if (parent != ERROR_SUCCESS)
        return parent;
    if (::mkdir(dir.c_str(), 0777) != 0)
        return errno == EEXIST ? ERROR_SUCCESS : Win32ErrorFromErrno(errno);
    if (IsSharedFolder(dir.parent_path()) && ::chmod(dir.c_str(), kSharedFolderMode) != 0)
        return Win32ErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

// Makes the empty store file of a shared folder, readable by everybody and
// writable by the group; SQLite then fills it as any empty database. A file
// that another process made meanwhile is left as it is.
LONG CreateSharedStoreFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kSharedStoreMode);
    if (fd < 0)
        return errno == EEXIST ? ERROR_SUCCESS : Win32ErrorFromErrno(errno);
    const int rc = ::fchmod(fd, kSharedStoreMode);  // past the umask
    const int err = errno;
    ::close(fd);
    return rc == 0 ? ERROR_SUCCESS : Win32ErrorFromErrno(err);
}

// How a failed SQLite call reads as a Win32 error.
LONG Win32FromSqlite(int rc, bool writing)
{
    switch (SqlitePrimary(rc)) {
    case SqliteResult::Ok:
    case SqliteResult::Row:
    case SqliteResult::Done: return ERROR_SUCCESS;
    case SqliteResult::ReadOnly:
    case SqliteResult::Perm:
    case SqliteResult::Auth: return ERROR_ACCESS_DENIED;
    case SqliteResult::NoMem: return ERROR_NOT_ENOUGH_MEMORY;
    case SqliteResult::Full: return kErrorDiskFull;
    case SqliteResult::Corrupt:
    case SqliteResult::NotADb: return ERROR_BADDB;
    case SqliteResult::CantOpen: return ERROR_CANTOPEN;
    case SqliteResult::TooBig: return ERROR_INVALID_PARAMETER;
    default: return writing ? ERROR_CANTWRITE : ERROR_CANTREAD;
    }
}

// Errors after which the connection is dropped and the file opened anew.
bool IsConnectionFault(int rc)
{
    switch (SqlitePrimary(rc)) {
    case SqliteResult::IoErr:
    case SqliteResult::Corrupt:
    case SqliteResult::NotADb:
    case SqliteResult::CantOpen:
    case SqliteResult::ReadOnly:
    case SqliteResult::Protocol: return true;
    default: return false;
    }
}

void PauseBeforeRetry() { std::this_thread::sleep_for(std::chrono::milliseconds(2)); }

}  // namespace

std::string FoldRegistryName(std::string_view name)
{
    std::string folded(name);
    for (char& c : folded)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return folded;
}

std::string RegistryStorePath()
{
    std::string p = GetEnv("BRELVO_REGISTRY");
    return p.empty() ? std::string("/var/lib/brelvo/registry.sqlite") : p;
}

bool RegistryReadOnlyByEnvironment() { return GetEnv("BRELVO_REGISTRY_READONLY") == "1"; }

std::shared_ptr<RegistryStore> CurrentRegistryStore()
{
    static std::mutex lock;
    static std::shared_ptr<RegistryStore>* current = new std::shared_ptr<RegistryStore>;  // lives until exit
    const std::string path = RegistryStorePath();
    std::lock_guard<std::mutex> g(lock);
    if (!*current || (*current)->Path() != path)
        *current = std::make_shared<RegistryStore>(path);
    return *current;
}

// ---------------------------------------------------------------------------
// The open file, with its prepared statements.

class RegistryConnection {
public:
    enum class Kind {
        Empty,      // no usable store file yet: an empty store in memory stands in
        ReadOnly,   // the file, read-only
        Immutable,  // the file, read-only without its -shm (the folder is not writable)
        ReadWrite,  // the file, read-write, in WAL mode with the schema in place
    };

    RegistryConnection(Kind kind, bool readOnlyByEnv) : kind(kind), readOnlyByEnv(readOnlyByEnv) {}
    ~RegistryConnection()
    {
        for (SqliteStatement& s : statements)
            s.Finalize();
        db.Close();
    }

    int Statement(StatementId id, SqliteStatement*& out)
    {
        SqliteStatement& s = statements[id];
        if (!s.IsPrepared()) {
            const int rc = db.Prepare(kStatementSql[id], s);
            if (rc != SqliteResult::Ok)
                return rc;
        }
        out = &s;
        return SqliteResult::Ok;
    }

    SqliteDatabase db;
    Kind kind;
    bool readOnlyByEnv;
    SqliteStatement statements[kStatementCount];
};

namespace {

using Kind = RegistryConnection::Kind;

// Runs a statement that needs no lock retries of its own (the busy handler
// waits), repeating busy results until the deadline.
int ExecRetrying(SqliteDatabase& db, const char* sql, Clock::time_point deadline)
{
    int rc = db.Exec(sql);
    while (SqliteIsBusy(rc) && Clock::now() < deadline) {
        PauseBeforeRetry();
        rc = db.Exec(sql);
    }
    return rc;
}

// Whether the open file holds the store's tables.
int ProbeSchema(SqliteDatabase& db, bool& present, Clock::time_point deadline)
{
    std::int64_t n = 0;
    int rc;
    do {
        rc = db.QueryInt("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name IN ('keys', 'key_values')",
                         n);
    } while (SqliteIsBusy(rc) && Clock::now() < deadline && (PauseBeforeRetry(), true));
    present = (n == 2);
    return rc;
}

std::unique_ptr<RegistryConnection> OpenEmptyStandIn(bool readOnlyByEnv)
{
    auto c = std::make_unique<RegistryConnection>(Kind::Empty, readOnlyByEnv);
    if (c->db.Open(std::string(), SqliteDatabase::OpenMode::InMemory) != SqliteResult::Ok ||
        c->db.Exec(kSchema) != SqliteResult::Ok)
        return nullptr;
    return c;
}

// Makes a read-write connection ready: WAL mode, full sync at commit, the
// WAL kept across closes (so read-only users find their -shm), the schema.
int PrepareForWriting(SqliteDatabase& db, Clock::time_point deadline)
{
    db.SetBusyTimeout(kBusyTimeoutMs);
    db.SetPersistentWal(true);
    int rc = db.Exec("PRAGMA synchronous = FULL");
    if (rc != SqliteResult::Ok)
        return rc;
    SqliteStatement mode;
    do {
        rc = db.Prepare("PRAGMA journal_mode = WAL", mode);
        if (rc == SqliteResult::Ok) {
            rc = mode.Step();
            if (rc == SqliteResult::Row)
                rc = mode.ColumnText(0) == "wal" ? SqliteResult::Ok : SqliteResult::Error;
        }
        mode.Finalize();
    } while (SqliteIsBusy(rc) && Clock::now() < deadline && (PauseBeforeRetry(), true));
    if (rc != SqliteResult::Ok)
        return rc;
    bool present = false;
    rc = ProbeSchema(db, present, deadline);
    if (rc != SqliteResult::Ok || present)
        return rc;
    rc = ExecRetrying(db, "BEGIN IMMEDIATE", deadline);
    if (rc != SqliteResult::Ok)
        return rc;
    rc = db.Exec(kSchema);
    if (rc == SqliteResult::Ok)
        rc = ExecRetrying(db, "COMMIT", deadline);
    if (rc != SqliteResult::Ok)
        db.Exec("ROLLBACK");
    return rc;
}

// A connection good for reading. ERROR_SUCCESS or the reason there is none.
LONG ConnectForRead(std::unique_ptr<RegistryConnection>& conn, const std::string& path, Clock::time_point deadline)
{
    const bool roEnv = RegistryReadOnlyByEnvironment();
    if (conn) {
        bool stale = conn->readOnlyByEnv != roEnv;
        if (conn->kind == Kind::Empty)
            stale = stale || Exists(path);  // the file has appeared (or is still unusable)
        else if (conn->kind == Kind::Immutable)
            stale = stale || Exists(path + "-shm");  // a writer has been here: read normally
        if (!stale)
            return ERROR_SUCCESS;
        conn.reset();
    }

    if (!Exists(path)) {
        if (errno != ENOENT && errno != ENOTDIR)
            return Win32ErrorFromErrno(errno);
        conn = OpenEmptyStandIn(roEnv);
        return conn ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
    }

    const bool rw = !roEnv && Writable(path) && FolderAllowsStore(path);
    auto c = std::make_unique<RegistryConnection>(rw ? Kind::ReadWrite : Kind::ReadOnly, roEnv);
    int rc = c->db.Open(path, rw ? SqliteDatabase::OpenMode::ReadWrite : SqliteDatabase::OpenMode::ReadOnly);
    if (rc != SqliteResult::Ok)
        return Win32FromSqlite(rc, false);
    c->db.SetBusyTimeout(kBusyTimeoutMs);
    if (rw) {
        rc = PrepareForWriting(c->db, deadline);
    } else {
        bool present = false;
        rc = ProbeSchema(c->db, present, deadline);
        if (SqlitePrimary(rc) == SqliteResult::CantOpen || SqlitePrimary(rc) == SqliteResult::ReadOnly) {
            // A WAL store whose -shm is missing and cannot be made here:
            // read the file as it stands.
            c = std::make_unique<RegistryConnection>(Kind::Immutable, roEnv);
            rc = c->db.Open(path, SqliteDatabase::OpenMode::ReadOnlyImmutable);
            if (rc == SqliteResult::Ok)
                rc = ProbeSchema(c->db, present, deadline);
        }
        if (rc == SqliteResult::Ok && !present) {
            // An empty file, or one without the store's tables: nothing stored yet.
            conn = OpenEmptyStandIn(roEnv);
            return conn ? ERROR_SUCCESS : ERROR_NOT_ENOUGH_MEMORY;
        }
    }
    if (rc != SqliteResult::Ok)
        return SqliteIsBusy(rc) ? ERROR_CANTREAD : Win32FromSqlite(rc, false);
    conn = std::move(c);
    return ERROR_SUCCESS;
}

// A read-write connection, creating the file and its folder when missing.
LONG ConnectForWrite(std::unique_ptr<RegistryConnection>& conn, const std::string& path, Clock::time_point deadline)
{
    if (RegistryReadOnlyByEnvironment())
        return ERROR_ACCESS_DENIED;
    if (conn && conn->kind == Kind::ReadWrite && !conn->readOnlyByEnv)
        return ERROR_SUCCESS;
    conn.reset();
    if (!FolderAllowsStore(path) || (Exists(path) && !Writable(path)))
        return ERROR_ACCESS_DENIED;

    const fs::path dir = fs::path(path).parent_path();
    LONG made = MakeStoreFolders(dir);
    if (made == ERROR_SUCCESS && IsSharedFolder(dir) && !Exists(path))
        made = CreateSharedStoreFile(path);
    if (made != ERROR_SUCCESS)
        return made;
    auto c = std::make_unique<RegistryConnection>(Kind::ReadWrite, false);
    int rc = c->db.Open(path, SqliteDatabase::OpenMode::ReadWriteCreate);
    if (rc != SqliteResult::Ok)
        return Win32FromSqlite(rc, true);
    if (c->db.IsReadOnly())
        return ERROR_ACCESS_DENIED;
    rc = PrepareForWriting(c->db, deadline);
    if (rc != SqliteResult::Ok)
        return SqliteIsBusy(rc) ? ERROR_CANTWRITE : Win32FromSqlite(rc, true);
    conn = std::move(c);
    return ERROR_SUCCESS;
}

// What one attempt of an operation gives: an SQLite failure (retried when
// busy), or the operation's own Win32 result.
struct Outcome {
    int rc = SqliteResult::Ok;
    LONG status = ERROR_SUCCESS;
};

enum class Intent {
    ReadOneStatement,  // one statement: its own implicit transaction
    Read,              // several statements in one read transaction
    Write,             // one IMMEDIATE transaction, rolled back unless the operation succeeds
};

template <class Body>
LONG Run(std::unique_ptr<RegistryConnection>& conn, const std::string& path, Intent intent, Body&& body)
{
    const bool writing = intent == Intent::Write;
    const auto deadline = Clock::now() + kRetryBudget;
    for (;;) {
        const LONG st = writing ? ConnectForWrite(conn, path, deadline) : ConnectForRead(conn, path, deadline);
        if (st != ERROR_SUCCESS)
            return st;
        SqliteDatabase& db = conn->db;
        int rc = SqliteResult::Ok;
        if (intent != Intent::ReadOneStatement)
            rc = db.Exec(writing ? "BEGIN IMMEDIATE" : "BEGIN");
        Outcome o;
        if (rc == SqliteResult::Ok) {
            o = body(*conn);
            rc = o.rc;
        }
        if (rc == SqliteResult::Ok && intent != Intent::ReadOneStatement) {
            if (writing && o.status != ERROR_SUCCESS) {
                db.Exec("ROLLBACK");
                return o.status;
            }
            rc = ExecRetrying(db, "COMMIT", deadline);
        }
        if (rc == SqliteResult::Ok)
            return o.status;
        if (intent != Intent::ReadOneStatement)
            db.Exec("ROLLBACK");  // nothing of a failed attempt stays
        if (SqliteIsBusy(rc) && Clock::now() < deadline) {
            PauseBeforeRetry();
            continue;
        }
        if (IsConnectionFault(rc))
            conn.reset();
        return SqliteIsBusy(rc) ? (writing ? ERROR_CANTWRITE : ERROR_CANTREAD) : Win32FromSqlite(rc, writing);
    }
}

// --- statements used by several operations (run inside Run) ---

Outcome StepKeyExists(RegistryConnection& c, RegistryKeyId key)
{
    if (IsRoot(key))
        return {};
    SqliteStatement* s = nullptr;
    Outcome o{c.Statement(kKeyExists, s)};
    if (o.rc != SqliteResult::Ok)
        return o;
    SqliteResetGuard g(*s);
    s->BindInt(1, key);
    const int rc = s->Step();
    if (rc == SqliteResult::Row)
        return {};
    if (rc == SqliteResult::Done)
        return {SqliteResult::Ok, static_cast<LONG>(ERROR_KEY_DELETED)};
    return {rc};
}

// The outcome of a lookup under key whose step gave rc and no row: a failed
// step as it is; else missing while the key exists, or what the key's own
// check says (a key deleted meanwhile).
Outcome NoRowUnder(RegistryConnection& c, RegistryKeyId key, int rc, LONG missing)
{
    if (rc != SqliteResult::Done)
        return Outcome{rc};
    Outcome o = StepKeyExists(c, key);
    if (o.rc == SqliteResult::Ok && o.status == ERROR_SUCCESS)
        o.status = missing;
    return o;
}

// The child's id, or 0 when there is none.
Outcome StepFindChild(RegistryConnection& c, RegistryKeyId parent, std::string_view folded, RegistryKeyId& out)
{
    SqliteStatement* s = nullptr;
    Outcome o{c.Statement(kFindChild, s)};
    if (o.rc != SqliteResult::Ok)
        return o;
    SqliteResetGuard g(*s);
    s->BindInt(1, parent);
    s->BindText(2, folded);
    const int rc = s->Step();
    out = 0;
    if (rc == SqliteResult::Row)
        out = s->ColumnInt(0);
    return {rc == SqliteResult::Row || rc == SqliteResult::Done ? SqliteResult::Ok : rc};
}

Outcome StepWalk(RegistryConnection& c, RegistryKeyId from, const std::vector<std::string>& names,
                 RegistryKeyId& out)
{
    Outcome o = StepKeyExists(c, from);
    if (o.rc != SqliteResult::Ok || o.status != ERROR_SUCCESS)
        return o;
    RegistryKeyId cur = from;
    for (const std::string& n : names) {
        RegistryKeyId next = 0;
        o = StepFindChild(c, cur, FoldRegistryName(n), next);
        if (o.rc != SqliteResult::Ok)
            return o;
        if (next == 0)
            return {SqliteResult::Ok, static_cast<LONG>(ERROR_FILE_NOT_FOUND)};
        cur = next;
    }
    out = cur;
    return {};
}

Outcome StepExec(RegistryConnection& c, StatementId id, RegistryKeyId key)
{
    SqliteStatement* s = nullptr;
    Outcome o{c.Statement(id, s)};
    if (o.rc != SqliteResult::Ok)
        return o;
    SqliteResetGuard g(*s);
    s->BindInt(1, key);
    const int rc = s->Step();
    return {rc == SqliteResult::Done ? SqliteResult::Ok : rc};
}

// Reads the columns (type, size or data, name) of a value row.
void ReadValueRow(const SqliteStatement& s, RegistryValueRecord& out, bool wantData)
{
    out.type = static_cast<DWORD>(s.ColumnInt(0));
    if (wantData) {
        const BYTE* p = static_cast<const BYTE*>(s.ColumnBlob(1));
        out.size = s.ColumnBytes(1);
        out.data.assign(p, p == nullptr ? p : p + out.size);
    } else {
        out.size = static_cast<std::size_t>(s.ColumnInt(1));
        out.data.clear();
    }
    out.name = std::string(s.ColumnText(2));
}

}  // namespace

// ---------------------------------------------------------------------------

RegistryStore::RegistryStore(std::string path) : m_path(std::move(path)) {}

RegistryStore::~RegistryStore() = default;

bool RegistryStore::IsWritable() const
{
    if (RegistryReadOnlyByEnvironment() || !FolderAllowsStore(m_path))
        return false;
    return !Exists(m_path) || Writable(m_path);
}

LONG RegistryStore::KeyExists(RegistryKeyId key)
{
    std::lock_guard<std::mutex> g(m_lock);
    return Run(m_conn, m_path, Intent::ReadOneStatement,
               [&](RegistryConnection& c) { return StepKeyExists(c, key); });
}

LONG RegistryStore::OpenPath(RegistryKeyId from, const std::vector<std::string>& names, RegistryKeyId& out)
{
    std::lock_guard<std::mutex> g(m_lock);
    const Intent intent = names.size() <= 1 && IsRoot(from) ? Intent::ReadOneStatement : Intent::Read;
    return Run(m_conn, m_path, intent, [&](RegistryConnection& c) { return StepWalk(c, from, names, out); });
}

LONG RegistryStore::CreatePath(RegistryKeyId from, const std::vector<std::string>& names, RegistryKeyId& out,
                               bool& created)
{
    std::lock_guard<std::mutex> g(m_lock);
    return Run(m_conn, m_path, Intent::Write, [&](RegistryConnection& c) {
        created = false;
        Outcome o = StepKeyExists(c, from);
        if (o.rc != SqliteResult::Ok || o.status != ERROR_SUCCESS)
            return o;
        RegistryKeyId cur = from;
        for (const std::string& n : names) {
            const std::string folded = FoldRegistryName(n);
            RegistryKeyId next = 0;
            o = StepFindChild(c, cur, folded, next);
            if (o.rc != SqliteResult::Ok)
                return o;
            created = (next == 0);
            if (created) {
                SqliteStatement* s = nullptr;
                o.rc = c.Statement(kInsertKey, s);
                if (o.rc != SqliteResult::Ok)
                    return o;
                SqliteResetGuard rg(*s);
                s->BindInt(1, cur);
                s->BindText(2, n);
                s->BindText(3, folded);
                const int rc = s->Step();
                if (rc != SqliteResult::Done)
                    return Outcome{rc};
                next = c.db.LastInsertRowid();
            }
            cur = next;
        }
        out = cur;
        return Outcome{};
    });
}

LONG RegistryStore::QueryValue(RegistryKeyId key, std::string_view name, RegistryValueRecord& out, bool wantData)
{
    std::lock_guard<std::mutex> g(m_lock);
    const std::string folded = FoldRegistryName(name);
    return Run(m_conn, m_path, Intent::ReadOneStatement, [&](RegistryConnection& c) {
        SqliteStatement* s = nullptr;
        Outcome o{c.Statement(wantData ? kValueData : kValueMeta, s)};
        if (o.rc != SqliteResult::Ok)
            return o;
        SqliteResetGuard rg(*s);
        s->BindInt(1, key);
        s->BindText(2, folded);
        const int rc = s->Step();
        if (rc == SqliteResult::Row) {
            ReadValueRow(*s, out, wantData);
            return Outcome{};
        }
        // No such value; the key may be gone altogether.
        return NoRowUnder(c, key, rc, ERROR_FILE_NOT_FOUND);
    });
}

LONG RegistryStore::SetValue(RegistryKeyId key, std::string_view name, DWORD type, const BYTE* data, std::size_t cb)
{
    std::lock_guard<std::mutex> g(m_lock);
    const std::string folded = FoldRegistryName(name);
    return Run(m_conn, m_path, Intent::Write, [&](RegistryConnection& c) {
        Outcome o = StepKeyExists(c, key);
        if (o.rc != SqliteResult::Ok || o.status != ERROR_SUCCESS)
            return o;
        SqliteStatement* s = nullptr;
        o.rc = c.Statement(kUpsertValue, s);
        if (o.rc != SqliteResult::Ok)
            return o;
        SqliteResetGuard rg(*s);
        s->BindInt(1, key);
        s->BindText(2, name);
        s->BindText(3, folded);
        s->BindInt(4, type);
        s->BindBlob(5, data, cb);
        const int rc = s->Step();
        return Outcome{rc == SqliteResult::Done ? SqliteResult::Ok : rc};
    });
}

LONG RegistryStore::DeleteValue(RegistryKeyId key, std::string_view name)
{
    std::lock_guard<std::mutex> g(m_lock);
    const std::string folded = FoldRegistryName(name);
    return Run(m_conn, m_path, Intent::Write, [&](RegistryConnection& c) {
        Outcome o = StepKeyExists(c, key);
        if (o.rc != SqliteResult::Ok || o.status != ERROR_SUCCESS)
            return o;
        SqliteStatement* s = nullptr;
        o.rc = c.Statement(kDeleteValue, s);
        if (o.rc != SqliteResult::Ok)
            return o;
        SqliteResetGuard rg(*s);
        s->BindInt(1, key);
        s->BindText(2, folded);
        const int rc = s->Step();
        if (rc != SqliteResult::Done)
            return Outcome{rc};
        return Outcome{SqliteResult::Ok, static_cast<LONG>(c.db.Changes() > 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND)};
    });
}

LONG RegistryStore::EnumKey(RegistryKeyId key, DWORD index, std::string& name)
{
    std::lock_guard<std::mutex> g(m_lock);
    return Run(m_conn, m_path, Intent::ReadOneStatement, [&](RegistryConnection& c) {
        SqliteStatement* s = nullptr;
        Outcome o{c.Statement(kEnumKey, s)};
        if (o.rc != SqliteResult::Ok)
            return o;
        SqliteResetGuard rg(*s);
        s->BindInt(1, key);
        s->BindInt(2, index);
        const int rc = s->Step();
        if (rc == SqliteResult::Row) {
            name = std::string(s->ColumnText(0));
            return Outcome{};
        }
        return NoRowUnder(c, key, rc, ERROR_NO_MORE_ITEMS);
    });
}

LONG RegistryStore::EnumValue(RegistryKeyId key, DWORD index, RegistryValueRecord& out, bool wantData)
{
    std::lock_guard<std::mutex> g(m_lock);
    return Run(m_conn, m_path, Intent::ReadOneStatement, [&](RegistryConnection& c) {
        SqliteStatement* s = nullptr;
        Outcome o{c.Statement(wantData ? kEnumValueData : kEnumValueMeta, s)};
        if (o.rc != SqliteResult::Ok)
            return o;
        SqliteResetGuard rg(*s);
        s->BindInt(1, key);
        s->BindInt(2, index);
        const int rc = s->Step();
        if (rc == SqliteResult::Row) {
            ReadValueRow(*s, out, wantData);
            return Outcome{};
        }
        return NoRowUnder(c, key, rc, ERROR_NO_MORE_ITEMS);
    });
}

LONG RegistryStore::DeleteKey(RegistryKeyId from, const std::vector<std::string>& names, DeleteScope scope)
{
    std::lock_guard<std::mutex> g(m_lock);
    return Run(m_conn, m_path, Intent::Write, [&](RegistryConnection& c) {
        RegistryKeyId target = 0;
        Outcome o = StepWalk(c, from, names, target);
        if (o.rc != SqliteResult::Ok || o.status != ERROR_SUCCESS)
            return o;
        if (scope == DeleteScope::ContentsOnly) {
            o = StepExec(c, kDeleteContentValues, target);
            if (o.rc == SqliteResult::Ok)
                o = StepExec(c, kDeleteContentKeys, target);
            return o;
        }
        if (IsRoot(target))
            return Outcome{SqliteResult::Ok, static_cast<LONG>(ERROR_ACCESS_DENIED)};
        if (scope == DeleteScope::KeyWithoutSubKeys) {
            SqliteStatement* s = nullptr;
            o.rc = c.Statement(kHasChild, s);
            if (o.rc != SqliteResult::Ok)
                return o;
            SqliteResetGuard rg(*s);
            s->BindInt(1, target);
            const int rc = s->Step();
            if (rc == SqliteResult::Row)
                return Outcome{SqliteResult::Ok, static_cast<LONG>(ERROR_ACCESS_DENIED)};
            if (rc != SqliteResult::Done)
                return Outcome{rc};
        }
        o = StepExec(c, kDeleteTreeValues, target);
        if (o.rc == SqliteResult::Ok)
            o = StepExec(c, kDeleteTreeKeys, target);
        return o;
    });
}

LONG RegistryStore::CheckIntegrity(std::string& report)
{
    std::lock_guard<std::mutex> g(m_lock);
    report.clear();
    return Run(m_conn, m_path, Intent::Read, [&](RegistryConnection& c) {
        report.clear();
        SqliteStatement s;
        Outcome o{c.db.Prepare("PRAGMA integrity_check", s)};
        if (o.rc != SqliteResult::Ok)
            return o;
        int rc;
        while ((rc = s.Step()) == SqliteResult::Row) {
            if (s.ColumnText(0) != "ok")
                report += std::string(s.ColumnText(0)) + "\n";
        }
        if (rc != SqliteResult::Done)
            return Outcome{rc};
        std::int64_t orphans = 0;
        o.rc = c.db.QueryInt("SELECT (SELECT count(*) FROM keys k WHERE k.parent IS NOT NULL AND NOT EXISTS"
                             " (SELECT 1 FROM keys p WHERE p.id = k.parent))"
                             " + (SELECT count(*) FROM key_values v WHERE NOT EXISTS"
                             " (SELECT 1 FROM keys k WHERE k.id = v.key))",
                             orphans);
        if (o.rc != SqliteResult::Ok)
            return o;
        if (orphans != 0)
            report += std::to_string(orphans) + " keys or values without a parent key\n";
        std::int64_t version = 0;
        o.rc = c.db.QueryInt("PRAGMA user_version", version);
        if (o.rc == SqliteResult::Ok && version > kSchemaVersion)
            report += "store format " + std::to_string(version) + " is newer than this program's\n";
        if (report.empty()) {
            report = "ok";
            return o;
        }
        o.status = ERROR_BADDB;
        return o;
    });
}

}  // namespace platform
