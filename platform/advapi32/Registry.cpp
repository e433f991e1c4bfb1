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

RegistryKeyId PredefinedRoot(HKEY h)
{
    if (h == HKEY_CLASSES_ROOT)
        return RegistryStore::kClassesRoot;
    if (h == HKEY_CURRENT_USER)
        return RegistryStore::kCurrentUser;
    if (h == HKEY_LOCAL_MACHINE)
        return RegistryStore::kLocalMachine;
    if (h == HKEY_USERS)
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

HKEY NewHandle(const std::shared_ptr<RegistryStore>& store, RegistryKeyId id, REGSAM access)
{
    auto key = std::make_shared<const OpenKey>(OpenKey{store, id, access});
    KeyTable& t = Table();
    std::lock_guard<std::mutex> g(t.lock);
    t.next += 4;
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

// Splits "a\b\c" into its levels.
LONG SplitPath(LPCSTR path, std::vector<std::string>& out)
{
    out.clear();
    if (path == nullptr || *path == '\0')
        return ERROR_SUCCESS;
    std::string_view s(path);
    if (s.front() == '\\')
        return ERROR_BAD_PATHNAME;
    if (s.back() == '\\')
        s.remove_suffix(1);
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

// Copies a value's data into the caller's buffer the way RegQueryValueExA does.
LONG DeliverData(const platform::RegistryValueRecord& v, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData)
{
    if (lpType != nullptr)
        *lpType = v.type;
    if (lpcbData == nullptr)
        return ERROR_SUCCESS;
    const DWORD size = static_cast<DWORD>(v.size);
    if (lpData != nullptr) {
        if (*lpcbData < size) {
            *lpcbData = size;
            return ERROR_MORE_DATA;
        }
        if (size != 0)
            std::memcpy(lpData, v.data.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired, PHKEY phkResult)
{
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    std::vector<std::string> names;
    if ((st = SplitPath(lpSubKey, names)) != ERROR_SUCCESS)
        return st;
    RegistryKeyId id = 0;
    if ((st = k.store->OpenPath(k.id, names, id)) != ERROR_SUCCESS)
        return st;
    const REGSAM access = MapAccess(samDesired, *k.store);
    if ((access & kWriteRights) != 0 && !k.store->IsWritable())
        return ERROR_ACCESS_DENIED;
    *phkResult = NewHandle(k.store, id, access);
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
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    std::vector<std::string> names;
    if ((st = SplitPath(lpSubKey, names)) != ERROR_SUCCESS)
        return st;
    const REGSAM access = MapAccess(samDesired, *k.store);
    if ((access & kWriteRights) != 0 && !k.store->IsWritable())
        return ERROR_ACCESS_DENIED;

    RegistryKeyId id = 0;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    st = k.store->OpenPath(k.id, names, id);
    if (st == ERROR_FILE_NOT_FOUND) {
        if (!k.Has(KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        bool created = false;
        if ((st = k.store->CreatePath(k.id, names, id, created)) != ERROR_SUCCESS)
            return st;
        if (created)
            disposition = REG_CREATED_NEW_KEY;
    } else if (st != ERROR_SUCCESS) {
        return st;
    }
    *phkResult = NewHandle(k.store, id, access);
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
    if (!k.Has(KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    platform::RegistryValueRecord v;
    if ((st = k.store->QueryValue(k.id, ValueName(lpValueName), v, lpData != nullptr)) != ERROR_SUCCESS)
        return st;
    return DeliverData(v, lpType, lpData, lpcbData);
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType, const BYTE* lpData, DWORD cbData)
{
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    if (!k.Has(KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (lpData == nullptr && cbData != 0)
        return kErrorNoAccess;
    const std::string_view name = ValueName(lpValueName);
    if (name.size() > kMaxValueNameLength)
        return ERROR_INVALID_PARAMETER;
    return k.store->SetValue(k.id, name, dwType, lpData, cbData);
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName)
{
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    if (!k.Has(KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    return k.store->DeleteValue(k.id, ValueName(lpValueName));
}

LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName)
{
    if (lpName == nullptr)
        return ERROR_INVALID_PARAMETER;
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    if (!k.Has(KEY_ENUMERATE_SUB_KEYS))
        return ERROR_ACCESS_DENIED;
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
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    if (!k.Has(KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    platform::RegistryValueRecord v;
    if ((st = k.store->EnumValue(k.id, dwIndex, v, lpData != nullptr)) != ERROR_SUCCESS)
        return st;
    if (v.name.size() + 1 > *lpcchValueName)
        return ERROR_MORE_DATA;
    std::memcpy(lpValueName, v.name.c_str(), v.name.size() + 1);
    *lpcchValueName = static_cast<DWORD>(v.name.size());
    return DeliverData(v, lpType, lpData, lpcbData);
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey)
{
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    std::vector<std::string> names;
    if ((st = SplitPath(lpSubKey, names)) != ERROR_SUCCESS)
        return st;
    // As on Windows, the rights of hKey do not matter here; the store
    // refuses when this process may not write it.
    return k.store->DeleteKey(k.id, names, RegistryStore::DeleteScope::KeyWithoutSubKeys);
}

LONG RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey)
{
    Key k;
    LONG st = Resolve(hKey, k);
    if (st != ERROR_SUCCESS)
        return st;
    std::vector<std::string> names;
    if ((st = SplitPath(lpSubKey, names)) != ERROR_SUCCESS)
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
