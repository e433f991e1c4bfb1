// The registry functions of ADVAPI32, with their Windows names, arguments and
// status codes, over the file-backed store of platform/advapi32/RegistryStore.h.
//
// Handles: the predefined roots (HKEY_CLASSES_ROOT, HKEY_CURRENT_USER,
// HKEY_LOCAL_MACHINE, HKEY_USERS) are always valid, are recognised by the low
// 32 bits of the handle (as on 64-bit Windows), and hold every right the
// process has on the store. Every other handle comes from RegOpenKeyExA or
// RegCreateKeyExA, is checked against the process's handle table (a stale
// or made-up handle gives ERROR_INVALID_HANDLE) and holds the access mask it
// was opened with: a call needs the right Windows asks for (KEY_QUERY_VALUE
// to read values, KEY_SET_VALUE to write them, KEY_ENUMERATE_SUB_KEYS to
// list sub-keys, KEY_CREATE_SUB_KEY to create them), else ERROR_ACCESS_DENIED.
// Asking for a write right while the store is read-only for this process
// fails with ERROR_ACCESS_DENIED. A handle whose key has been deleted (by
// any process) gives ERROR_KEY_DELETED.
//
// Key paths are relative, with backslashes between levels; trailing
// backslashes are ignored, a leading or doubled one is ERROR_BAD_PATHNAME
// (except that RegOpenKeyExA skips one leading backslash under
// HKEY_CLASSES_ROOT, as Windows does). Key and value names match without
// regard to ASCII case; a null value name is the key's default value, the
// value named "". Text is UTF-8.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstdint>

struct HKEY__;
using HKEY = HKEY__*;
using PHKEY = HKEY*;
using REGSAM = DWORD;
using LSTATUS = LONG;
using LPDWORD = DWORD*;
using LPBYTE = BYTE*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// The predefined root handles, with their Windows values (sign-extended, as
// the Windows headers make them).
#define NOTIFIER_PREDEFINED_HKEY(v) (reinterpret_cast<HKEY>(static_cast<std::intptr_t>(static_cast<LONG>(v))))
#define HKEY_CLASSES_ROOT NOTIFIER_PREDEFINED_HKEY(0x80000000u)
#define HKEY_CURRENT_USER NOTIFIER_PREDEFINED_HKEY(0x80000001u)
#define HKEY_LOCAL_MACHINE NOTIFIER_PREDEFINED_HKEY(0x80000002u)
#define HKEY_USERS NOTIFIER_PREDEFINED_HKEY(0x80000003u)

// Value types.
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_LITTLE_ENDIAN = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_RESOURCE_LIST = 8;
constexpr DWORD REG_FULL_RESOURCE_DESCRIPTOR = 9;
constexpr DWORD REG_RESOURCE_REQUIREMENTS_LIST = 10;
constexpr DWORD REG_QWORD = 11;

// Access rights.
constexpr REGSAM DELETE = 0x00010000;
constexpr REGSAM READ_CONTROL = 0x00020000;
constexpr REGSAM WRITE_DAC = 0x00040000;
constexpr REGSAM WRITE_OWNER = 0x00080000;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr REGSAM KEY_WOW64_32KEY = 0x0200;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_EXECUTE = 0x00020019;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;
constexpr REGSAM MAXIMUM_ALLOWED = 0x02000000;
constexpr REGSAM GENERIC_ALL = 0x10000000;
constexpr REGSAM GENERIC_EXECUTE = 0x20000000;
// GENERIC_READ (0x80000000) and GENERIC_WRITE (0x40000000) are declared with
// the file functions (platform/kernel32/FileApi.h); registry handles map them too.

// RegCreateKeyExA options and dispositions.
constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens a sub-key; with lpSubKey null or empty, a new handle on hKey itself,
// or a predefined root handed back as it is. ERROR_FILE_NOT_FOUND when it
// does not exist. A bad hKey leaves *phkResult as it was; other failures set
// it to null.
LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);

// Opens the sub-key, creating it and every missing level above it. As on
// Windows, the rights of hKey do not matter; the store refuses when this
// process may not write it. Volatile keys are kept like the others.
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                     LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult, LPDWORD lpdwDisposition);

LONG RegCloseKey(HKEY hKey);

// Reads a value (the key's default value when the name is null or empty).
// With lpData null and lpcbData set, only the size is returned (0 when the
// value is missing). A buffer that is too small gives ERROR_MORE_DATA, the
// buffer untouched, and the size needed in *lpcbData. Text (REG_SZ,
// REG_EXPAND_SZ, REG_MULTI_SZ) stored without a terminating NUL gets one
// after it when the buffer has room; *lpcbData stays the stored size. The
// size is taken before the type is written, so both may share a variable.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);

// Stores cbData bytes under the name with the given type number. Text
// written one byte short of its terminating NUL is stored with it, as on
// Windows: when the last counted byte is not a NUL, the byte after it is
// read, and counted when it is one.
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData);

namespace platform {
// Not a Windows call: RegSetValueExA storing exactly cbData bytes and reading
// nothing past them. For copies of values that must keep their bytes (.reg
// import, the common library's typed value buffer), whose buffers end with
// the data. (A native build passes a copy with a non-NUL byte after the data.)
LONG RegSetValueExact(HKEY hKey, LPCSTR lpValueName, DWORD dwType, const BYTE* lpData, DWORD cbData);
}  // namespace platform

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);

// The name of the dwIndex-th sub-key (sub-keys in order of their names
// without regard to case); ERROR_NO_MORE_ITEMS past the last one.
LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);

// The dwIndex-th value (in creation order): name (*lpcchValueName is the
// buffer's size in, the name's length out), type and data as in
// RegQueryValueExA. ERROR_MORE_DATA when the data or the name does not fit:
// the type and the data's size are reported all the same, the data is
// written when it fits, and the name buffer and its length are left as they
// were.
LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                   LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);

// Deletes a sub-key that has no sub-keys of its own (ERROR_ACCESS_DENIED
// otherwise, as on Windows), with its values.
LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);

// Deletes a sub-key with everything below it; with lpSubKey null, deletes
// the sub-keys and values of hKey and keeps hKey. Needs DELETE,
// KEY_ENUMERATE_SUB_KEYS and KEY_QUERY_VALUE on hKey (and KEY_SET_VALUE for
// the null case).
LONG RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey);
