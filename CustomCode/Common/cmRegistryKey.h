// cmRegistryKey: one open key of the registry, the one way the program's own
// code reads and writes it (with cmRegistryValue<cmString>).
//
// A key object owns its handle: closing, destruction and assignment release
// it, and a copy reopens the same key with a handle of its own. Every
// operation that calls the store leaves the store's Win32 status in the
// object (GetStatus); reads fall back to fixed values (0xFFFFFFFF for a
// number, empty text) and never throw. A key that failed to open holds no
// handle, and each later operation on it fails softly with
// ERROR_INVALID_HANDLE in its status. Keys are opened with KEY_READ; writers
// ask for more with UpgradeSam or GetWritableCopy.
//
// A key object belongs to the thread that uses it; two objects on the same
// key are independent, and the store serialises their calls.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/advapi32/Registry.h"
#include "platform/kernel32/WinTypes.h"

// Whether opening a key makes it (and the levels above it) when it is missing.
enum class cmRegistryCreate { OpenExisting, CreateMissing };

class cmRegistryKey {
public:
    // No handle, status 0, access KEY_READ.
    cmRegistryKey();
    // Open below a root or another open key; see Open.
    cmRegistryKey(HKEY hParent, LPCSTR szPath, cmRegistryCreate eCreate = cmRegistryCreate::OpenExisting);
    cmRegistryKey(const cmRegistryKey& parent, LPCSTR szPath,
                  cmRegistryCreate eCreate = cmRegistryCreate::OpenExisting);
    // Reopens the other key with its access mask.
    cmRegistryKey(const cmRegistryKey& other);
    cmRegistryKey& operator=(const cmRegistryKey& other);
    // Takes the other's handle, status and mask; the other is left empty.
    // (Returning a key from a function thus keeps its status.)
    cmRegistryKey(cmRegistryKey&& other) noexcept;
    cmRegistryKey& operator=(cmRegistryKey&& other) noexcept;
    ~cmRegistryKey();

    // Opens szPath below hParent with KEY_READ; an empty path reopens the
    // parent itself, an empty parent fails (ERROR_INVALID_HANDLE). With
    // CreateMissing a missing key is made by CreateKeyPath and the object
    // takes its handle and status; when that fails too, the object holds no
    // handle (never one on another key) and the status says why.
    void Open(HKEY hParent, LPCSTR szPath, cmRegistryCreate eCreate = cmRegistryCreate::OpenExisting);
    void Open(const cmRegistryKey& parent, LPCSTR szPath, cmRegistryCreate eCreate = cmRegistryCreate::OpenExisting);

    // Reopens the key with samNew. When the store refuses, logs
    // "cmRegistryKey: SAM upgrade failed!" and keeps the old handle and mask,
    // so the key still reads and later writes fail with the access error.
    void UpgradeSam(REGSAM samNew);
    // Releases the handle; access becomes KEY_READ.
    void Close();
    // A new key object on the same key with the current access plus KEY_WRITE.
    cmRegistryKey GetWritableCopy() const;

    LONG GetStatus() const { return m_lStatus; }
    HKEY GetHandle() const { return m_hKey; }
    REGSAM GetAccess() const { return m_samAccess; }
    bool IsOpen() const { return m_hKey != nullptr; }

    // A REG_DWORD value. 0xFFFFFFFF when the value is missing or the read
    // fails; 0xFFFFFFFF with status ERROR_INVALID_DATA when it has another type.
    DWORD QueryDword(LPCSTR szName);
    LONG SetDword(LPCSTR szName, DWORD dwValue);
    // A REG_SZ or REG_EXPAND_SZ value (never expanded), without its stored
    // terminating NUL; text stored without one keeps all of its characters.
    // Empty on any failure; ERROR_INVALID_DATA for another type.
    cmString QueryString(LPCSTR szName);
    // Stores REG_SZ: the text and its terminating NUL.
    LONG SetString(LPCSTR szName, const cmString& text);
    LONG SetBinary(LPCSTR szName, DWORD cb, const BYTE* pData);
    LONG DeleteValue(LPCSTR szName);

    // Enumeration; it ends when the status is ERROR_NO_MORE_ITEMS.
    cmString EnumKeyName(DWORD dwIndex);
    cmRegistryKey OpenSubKeyByIndex(DWORD dwIndex);
    cmString EnumValueName(DWORD dwIndex);

private:
    friend cmRegistryKey CreateKeyPath(HKEY hRoot, LPCSTR szPath);

    // Closes the own handle and takes the other's handle, status and mask.
    void TakeFrom(cmRegistryKey& other);

    HKEY m_hKey = nullptr;
    LONG m_lStatus = ERROR_SUCCESS;
    REGSAM m_samAccess = KEY_READ;
};

// The key at szPath below hRoot, made with every missing level when it does
// not exist, handed out newly opened with KEY_READ. On failure the object
// holds no handle and its status says why (ERROR_ACCESS_DENIED when the
// store is read-only for this process).
cmRegistryKey CreateKeyPath(HKEY hRoot, LPCSTR szPath);

// Whether the key exists (opened with KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS).
bool IsKeyPresent(HKEY hRoot, LPCSTR szPath);
// Whether the value exists under the key.
bool IsValuePresent(HKEY hRoot, LPCSTR szPath, LPCSTR szValueName);
