#include "platform/advapi32/Registry.h"

#include "platform/advapi32/RegistryStore.h"
#include "platform/kernel32/WinError.h"

#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

using platform::RegistryKeyId;
using platform::RegistryStore;

constexpr LONG kErrorNoAccess = 998;  // ERROR_NOACCESS: a null buffer with a non-zero size
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;

constexpr REGSAM kGenericRead = 0x80000000;   // GENERIC_READ
constexpr REGSAM kGenericWrite = 0x40000000;  // GENERIC_WRITE

// Rights that change the store.
constexpr REGSAM kWriteRights = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC | WRITE_OWNER;

// One open key: the store it belongs to, the key, and the rights it was opened with.
struct OpenKey {
    std::shared_ptr<RegistryStore> store;
    RegistryKeyId id;
    REGSAM access;
};

struct KeyTable {
    std::mutex lock;
    std::unordered_map<std::uintptr_t, std::shared_ptr<const OpenKey>> keys;
    // Handle values are never reused within a process, so a stale handle
    // can never reach a key opened later.
    std::uintptr_t next = 0x10000;
};

KeyTable& Table()
{
    static KeyTable* table = new KeyTable;  // lives until exit, also for static destructors
    return *table;
}

// A handle as one call sees it.
struct Key {
    std::shared_ptr<RegistryStore> store;
    RegistryKeyId id = 0;
    REGSAM access = 0;
    bool predefined = false;

    // Predefined roots carry every right; the store itself refuses writes
    // when it is read-only for this process.
    bool Has(REGSAM rights) const { return predefined || (access & rights) == rights; }
};

std::uint32_t LowBits(HKEY h)
{
    return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(h));
}

// The predefined roots are told by the low 32 bits of the handle, as 64-bit
// Windows tells them: a root that passed through a 32-bit variable (zero-
// extended, or with other high bits) is still that root.
RegistryKeyId PredefinedRoot(HKEY h)
{
    const std::uint32_t low = LowBits(h);
    if (low == LowBits(HKEY_CLASSES_ROOT))
        return RegistryStore::kClassesRoot;
    if (low == LowBits(HKEY_CURRENT_USER))
        return RegistryStore::kCurrentUser;
    if (low == LowBits(HKEY_LOCAL_MACHINE))
        return RegistryStore::kLocalMachine;
    if (low == LowBits(HKEY_USERS))
        return RegistryStore::kUsers;
    return 0;
}

LONG Resolve(HKEY h, Key& out)
{
    if (const RegistryKeyId root = PredefinedRoot(h); root != 0) {
        out.store = platform::CurrentRegistryStore();
        out.id = root;
        out.access = KEY_ALL_ACCESS;
        out.predefined = true;
        return ERROR_SUCCESS;
    }
    KeyTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.keys.find(reinterpret_cast<std::uintptr_t>(h));
    if (it == t.keys.end())
        return ERROR_INVALID_HANDLE;
    out.store = it->second->store;
    out.id = it->second->id;
    out.access = it->second->access;
    out.predefined = false;
    return ERROR_SUCCESS;
}

// Resolve, then ERROR_ACCESS_DENIED unless the handle holds the rights.
LONG ResolveWithRights(HKEY h, REGSAM rights, Key& out)
{
    const LONG st = Resolve(h, out);
    if (st != ERROR_SUCCESS)
        return st;
    return out.Has(rights) ? ERROR_SUCCESS : static_cast<LONG>(ERROR_ACCESS_DENIED);
}

HKEY NewHandle(const std::shared_ptr<RegistryStore>& store, RegistryKeyId id, REGSAM access)
{
    auto key = std::make_shared<const OpenKey>(OpenKey{store, id, access});
    KeyTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    do
        t.next += 4;
    while (PredefinedRoot(reinterpret_cast<HKEY>(t.next)) != 0);  // never a value that reads as a root
    t.keys.emplace(t.next, std::move(key));
    return reinterpret_cast<HKEY>(t.next);
}

// Generic rights become the key rights they stand for, as Windows maps them.
REGSAM MapAccess(REGSAM sam, const RegistryStore& store)
{
    REGSAM m = sam & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
    if (m & kGenericRead)
        m |= KEY_READ;
    if (m & kGenericWrite)
        m |= KEY_WRITE;
    if (m & GENERIC_EXECUTE)
        m |= KEY_EXECUTE;
    if (m & GENERIC_ALL)
        m |= KEY_ALL_ACCESS;
    if (m & MAXIMUM_ALLOWED)
        m |= store.IsWritable() ? KEY_ALL_ACCESS : KEY_READ;
    return m & ~(kGenericRead | kGenericWrite | GENERIC_EXECUTE | GENERIC_ALL | MAXIMUM_ALLOWED);
}

// Write rights asked of a store that this process may not write.
bool RefusedForWriting(REGSAM sam, const RegistryStore& store)
{
    return (MapAccess(sam, store) & kWriteRights) != 0 && !store.IsWritable();
}

// Splits "a\b\c" into its levels. Trailing backslashes, any number of
// them, are ignored; a leading or doubled one is ERROR_BAD_PATHNAME.
LONG SplitPath(LPCSTR path, std::vector<std::string>& out)
{
    out.clear();
    if (path == nullptr)
        return ERROR_SUCCESS;
    std::string_view s(path);
    if (!s.empty() && s.front() == '\\')
        return ERROR_BAD_PATHNAME;
    while (!s.empty() && s.back() == '\\')
        s.remove_suffix(1);
    if (s.empty())
        return ERROR_SUCCESS;
    while (true) {
        const std::size_t cut = s.find('\\');
        const std::string_view part = s.substr(0, cut);
        if (part.empty())
            return ERROR_BAD_PATHNAME;
        if (part.size() > kMaxKeyNameLength)
            return ERROR_INVALID_PARAMETER;
        out.emplace_back(part);
        if (cut == std::string_view::npos)
            break;
        s.remove_prefix(cut + 1);
    }
    return ERROR_SUCCESS;
}

std::string_view ValueName(LPCSTR name) { return name != nullptr ? std::string_view(name) : std::string_view(); }

bool IsText(DWORD type)
{
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Copies a value's data into a buffer of capacity bytes; ERROR_MORE_DATA,
// with the buffer untouched, when it does not fit. Text whose last byte is not
// a NUL gets one after it when the buffer has room, as Windows gives it; the
// size reported stays the stored one.
LONG CopyData(const platform::RegistryValueRecord& v, LPBYTE out, DWORD capacity)
{
    if (v.size > capacity)
        return ERROR_MORE_DATA;
    if (v.size == 0)
        return ERROR_SUCCESS;
    std::memcpy(out, v.data.data(), v.size);
    if (IsText(v.type) && v.size < capacity && out[v.size - 1] != 0)
        out[v.size] = 0;
    return ERROR_SUCCESS;
}

// Hands the type and the size to the caller, in that order (a caller may pass
// one variable for both and then holds the size), and gives status back.
LONG ReportValue(const platform::RegistryValueRecord& v, LONG status, LPDWORD lpType, LPDWORD lpcbData)
{
    if (lpType != nullptr)
        *lpType = v.type;
    if (lpcbData != nullptr)
        *lpcbData = static_cast<DWORD>(v.size);
    return status;
}

// Whether RegSetValueExA counts a NUL that follows the data it is given.
enum class TerminatorRule {
    CountFollowingNul,  // text one byte short of its terminator is stored with it, as on Windows
    StoreAsGiven,       // exactly the bytes given; nothing past them is read
};

LONG StoreValue(HKEY hKey, LPCSTR lpValueName, DWORD dwType, const BYTE* lpData, DWORD cbData, TerminatorRule rule)
{
    Key k;
    LONG st = ResolveWithRights(hKey, KEY_SET_VALUE, k);
    if (st != ERROR_SUCCESS)
        return st;
    if (lpData == nullptr && cbData != 0)
        return kErrorNoAccess;
    const std::string_view name = ValueName(lpValueName);
    if (name.size() > kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    // Windows reads the byte after the data here; a caller that counted
    // text without its terminator has that terminator right there.
    if (rule == TerminatorRule::CountFollowingNul && IsText(dwType) && cbData != 0 && lpData[cbData - 1] != 0 &&
        lpData[cbData] == 0)
        ++cbData;
    return k.store->SetValue(k.id, name, dwType, lpData, cbData);
}

// The key hKey names and the path of lpSubKey below it.
LONG ResolvePath(HKEY hKey, LPCSTR lpSubKey, Key& k, std::vector<std::string>& names)
{
    const LONG st = Resolve(hKey, k);
    return st != ERROR_SUCCESS ? st : SplitPath(lpSubKey, names);
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult)
{
    const bool noSubKey = lpSubKey == nullptr || *lpSubKey == '\0';
    if (phkResult != nullptr && noSubKey && PredefinedRoot(hKey) != 0) {
        // A root opened on itself is the root handle again, as on Windows.
        // Write rights on a store this process may not write are still
        // refused, as on every other open: the common library's creation of
        // a key path asks the root for KEY_CREATE_SUB_KEY first and reports
        // that refusal (ERROR_ACCESS_DENIED, "SAM upgrade failed!") to its
        // callers on a read-only store.
        if (RefusedForWriting(samDesired, *platform::CurrentRegistryStore())) {
            *phkResult = nullptr;
            return ERROR_ACCESS_DENIED;
        }
        *phkResult = hKey;
        return ERROR_SUCCESS;
    }
    // Under HKEY_CLASSES_ROOT one leading backslash is allowed when opening.
    if (PredefinedRoot(hKey) == RegistryStore::kClassesRoot && lpSubKey != nullptr && *lpSubKey == '\\')
        ++lpSubKey;
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;  // *phkResult stays as it was
    *phkResult = nullptr;
    std::vector<std::string> names;
    if ((st = SplitPath(lpSubKey, names)) != ERROR_SUCCESS)
        return st;
    RegistryKeyId id = 0;
    if ((st = k.store->OpenPath(k.id, names, id)) != ERROR_SUCCESS)
        return st;
    if (RefusedForWriting(samDesired, *k.store))
        return ERROR_ACCESS_DENIED;
    *phkResult = NewHandle(k.store, id, MapAccess(samDesired, *k.store));
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/, DWORD dwOptions,
                     REGSAM samDesired, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                     LPDWORD lpdwDisposition)
{
    constexpr DWORD kOptionCreateLink = 0x2;
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    if (dwOptions & kOptionCreateLink)
        return ERROR_NOT_SUPPORTED;  // the store has no symbolic-link keys
    Key k;
    std::vector<std::string> names;
    LONG st = ResolvePath(hKey, lpSubKey, k, names);
    if (st != ERROR_SUCCESS)
        return st;
    if (RefusedForWriting(samDesired, *k.store))
        return ERROR_ACCESS_DENIED;

    // The rights of hKey do not matter: Windows checks those of the key
    // being created, which here means whether this process may write the
    // store, and the store refuses the creation when it may not.
    RegistryKeyId id = 0;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    st = k.store->OpenPath(k.id, names, id);
    if (st == ERROR_FILE_NOT_FOUND) {
        bool created = false;
        if ((st = k.store->CreatePath(k.id, names, id, created)) != ERROR_SUCCESS)
            return st;
        if (created)
            disposition = REG_CREATED_NEW_KEY;
    } else if (st != ERROR_SUCCESS) {
        return st;
    }
    *phkResult = NewHandle(k.store, id, MapAccess(samDesired, *k.store));
    if (lpdwDisposition != nullptr)
        *lpdwDisposition = disposition;
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY hKey)
{
    if (PredefinedRoot(hKey) != 0)
        return ERROR_SUCCESS;
    std::shared_ptr<const OpenKey> doomed;  // released outside the table lock
    KeyTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = t.keys.find(reinterpret_cast<std::uintptr_t>(hKey));
    if (it == t.keys.end())
        return ERROR_INVALID_HANDLE;
    doomed = std::move(it->second);
    t.keys.erase(it);
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData)
{
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    // The buffer's size is taken before anything is written, so that the
    // type may share its variable; a size-only query starts from 0.
    const DWORD capacity = lpcbData != nullptr ? *lpcbData : 0;
    if (lpData == nullptr && lpcbData != nullptr)
        *lpcbData = 0;
    if (!k.Has(KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    platform::RegistryValueRecord v;
    if ((st = k.store->QueryValue(k.id, ValueName(lpValueName), v, lpData != nullptr)) != ERROR_SUCCESS)
        return st;
    return ReportValue(v, lpData != nullptr ? CopyData(v, lpData, capacity) : ERROR_SUCCESS, lpType, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    return StoreValue(hKey, lpValueName, dwType, lpData, cbData, TerminatorRule::CountFollowingNul);
}

LONG platform::RegSetValueExact(HKEY hKey, LPCSTR lpValueName, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    return StoreValue(hKey, lpValueName, dwType, lpData, cbData, TerminatorRule::StoreAsGiven);
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    Key k;
    LONG st = ResolveWithRights(hKey, KEY_SET_VALUE, k);
    if (st != ERROR_SUCCESS)
        return st;
    return k.store->DeleteValue(k.id, ValueName(lpValueName));
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName)
{
    if (lpName == nullptr)
        return ERROR_INVALID_PARAMETER;
    Key k;
    LONG st = ResolveWithRights(hKey, KEY_ENUMERATE_SUB_KEYS, k);
    if (st != ERROR_SUCCESS)
        return st;
    std::string name;
    if ((st = k.store->EnumKey(k.id, dwIndex, name)) != ERROR_SUCCESS)
        return st;
    if (name.size() + 1 > cchName)
        return ERROR_MORE_DATA;
    std::memcpy(lpName, name.c_str(), name.size() + 1);
    return ERROR_SUCCESS;
}

LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (lpValueName == nullptr || lpcchValueName == nullptr || lpReserved != nullptr ||
        (lpData != nullptr && lpcbData == nullptr))
        return ERROR_INVALID_PARAMETER;
    Key k;
    LONG st = ResolveWithRights(hKey, KEY_QUERY_VALUE, k);
    if (st != ERROR_SUCCESS)
        return st;
    platform::RegistryValueRecord v;
    if ((st = k.store->EnumValue(k.id, dwIndex, v, lpData != nullptr)) != ERROR_SUCCESS)
        return st;
    // As on Windows: the data first, then the name; a name that does not fit
    // leaves the name buffer and its length as they were, and a buffer too
    // small for the data leaves the name alone too. The type and the data's
    // size are reported either way.
    st = lpData != nullptr ? CopyData(v, lpData, *lpcbData) : ERROR_SUCCESS;
    if (st == ERROR_SUCCESS) {
        if (v.name.size() >= *lpcchValueName) {
            st = ERROR_MORE_DATA;
        } else {
            std::memcpy(lpValueName, v.name.c_str(), v.name.size() + 1);
            *lpcchValueName = static_cast<DWORD>(v.name.size());
        }
    }
    return ReportValue(v, st, lpType, lpcbData);
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    Key k;
    std::vector<std::string> names;
    LONG st = ResolvePath(hKey, lpSubKey, k, names);
    if (st != ERROR_SUCCESS)
        return st;
    // As on Windows, the rights of hKey do not matter here; the store
    // refuses when this process may not write it.
    return k.store->DeleteKey(k.id, names, RegistryStore::DeleteScope::KeyWithoutSubKeys);
}

LONG RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey)
{
    Key k;
    std::vector<std::string> names;
    LONG st = ResolvePath(hKey, lpSubKey, k, names);
    if (st != ERROR_SUCCESS)
        return st;
    REGSAM needed = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE;
    if (names.empty())
        needed |= KEY_SET_VALUE;
    if (!k.Has(needed))
        return ERROR_ACCESS_DENIED;
    return k.store->DeleteKey(k.id, names,
                              names.empty() ? RegistryStore::DeleteScope::ContentsOnly
                                            : RegistryStore::DeleteScope::KeyAndSubtree);
}
