// RegistryStore: the hierarchical key/value store behind the Reg* functions,
// kept in one SQLite file that several processes use at once.
//
// Keys have a parent link and a name; values belong to a key and have a
// name, a type number and bytes. Names are compared without regard to ASCII
// case and keep the case they were created with. The four roots exist in
// every store, also in one whose file does not exist yet: a missing file
// reads as an empty store, and the first write creates it and its folder.
//
// Every write is one IMMEDIATE transaction, committed with a full sync, in
// WAL mode; lock waits are retried, so concurrent processes see neither an
// error nor a lost write, and a process killed mid-write leaves the last
// committed state. A process that may not write (BRELVO_REGISTRY_READONLY=1,
// or no write permission on the file or its folder) opens the file read-only
// and every write fails with ERROR_ACCESS_DENIED.
//
// A store in a set-group-id folder is shared by the folder's group (the
// machine's store: root and the desktop users of group brelvo). A store file
// or folder made there is group-writable (0664, 2775) whatever the umask, and
// SQLite gives the -wal and -shm files the store's mode and the folder's
// group, so whoever opens the store first, every member can write it after.
//
// Only the Reg* functions (platform/advapi32/Registry.cpp) and diagnostics call this
// class; the functions check handles and access rights, this class does not.
// Methods return Win32 error codes; an object may be used from several threads.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

using RegistryKeyId = std::int64_t;

class RegistryConnection;  // the open SQLite file, private to RegistryStore.cpp

// One value as the store holds it.
struct RegistryValueRecord {
    std::string name;        // as created
    DWORD type = 0;
    std::size_t size = 0;    // byte count of the data
    std::vector<BYTE> data;  // filled only when the caller asked for the data
};

class RegistryStore {
public:
    // The ids of the four roots, the same in every store.
    static constexpr RegistryKeyId kClassesRoot = 1;
    static constexpr RegistryKeyId kCurrentUser = 2;
    static constexpr RegistryKeyId kLocalMachine = 3;
    static constexpr RegistryKeyId kUsers = 4;

    enum class DeleteScope {
        KeyWithoutSubKeys,  // ERROR_ACCESS_DENIED when the key has sub-keys, as on Windows
        KeyAndSubtree,      // the key, its sub-keys and all their values
        ContentsOnly,       // the sub-keys and values; the key itself stays
    };

    explicit RegistryStore(std::string path);
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;
    ~RegistryStore();

    const std::string& Path() const { return m_path; }

    // Whether this process may write the store now: not switched off by
    // BRELVO_REGISTRY_READONLY=1, and the file (or, while it does not exist,
    // the nearest existing folder on its path) and its folder are writable.
    bool IsWritable() const;

    // ERROR_SUCCESS while the key exists, ERROR_KEY_DELETED once it is gone.
    LONG KeyExists(RegistryKeyId key);
    // Follows names (one per level) from a key; ERROR_FILE_NOT_FOUND when a
    // level is missing, ERROR_KEY_DELETED when the start key is gone.
    LONG OpenPath(RegistryKeyId from, const std::vector<std::string>& names, RegistryKeyId& out);
    // The same, creating missing levels; created tells whether the last level was new.
    LONG CreatePath(RegistryKeyId from, const std::vector<std::string>& names, RegistryKeyId& out, bool& created);

    // ERROR_FILE_NOT_FOUND for a missing value. The data only when wantData.
    LONG QueryValue(RegistryKeyId key, std::string_view name, RegistryValueRecord& out, bool wantData);
    LONG SetValue(RegistryKeyId key, std::string_view name, DWORD type, const BYTE* data, std::size_t cb);
    LONG DeleteValue(RegistryKeyId key, std::string_view name);

    // Sub-keys in the order of their folded names, values in creation order;
    // ERROR_NO_MORE_ITEMS past the end.
    LONG EnumKey(RegistryKeyId key, DWORD index, std::string& name);
    LONG EnumValue(RegistryKeyId key, DWORD index, RegistryValueRecord& out, bool wantData);

    // Deletes the key at names below from (from itself when names is empty).
    // Roots are never deleted (ERROR_ACCESS_DENIED), only emptied.
    LONG DeleteKey(RegistryKeyId from, const std::vector<std::string>& names, DeleteScope scope);

    // SQLite's integrity check plus the store's own links (no key or value
    // whose parent is missing). ERROR_SUCCESS with report "ok" when sound,
    // ERROR_BADDB with the findings otherwise.
    LONG CheckIntegrity(std::string& report);

private:
    std::string m_path;
    std::mutex m_lock;
    std::unique_ptr<RegistryConnection> m_conn;
};

// The path of the store: $BRELVO_REGISTRY, or /var/lib/brelvo/registry.sqlite.
std::string RegistryStorePath();
// Whether BRELVO_REGISTRY_READONLY=1 switches writing off for this process.
bool RegistryReadOnlyByEnvironment();
// The store at RegistryStorePath(); the same object while the path stays the same.
std::shared_ptr<RegistryStore> CurrentRegistryStore();

// Folds ASCII letters to upper case, the form in which names are compared.
std::string FoldRegistryName(std::string_view name);

}  // namespace platform
