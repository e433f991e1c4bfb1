// cmRegistryValue<cmString>: one named text value of the registry with a
// default that is stored the first time the value is used.
//
// Construction opens (creating it when missing) the value's key and keeps
// it open; when the value does not exist yet, the default is written. A
// value whose key cannot be opened keeps empty texts and an empty key, and
// its later operations fail (Commit returns false and changes nothing).
// Callers construct, optionally Commit, then Reload to confirm what the store holds.
#pragma once

#include "CustomCode/Common/cmRegistryKey.h"
#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinTypes.h"

template <class T>
class cmRegistryValue;

template <>
class cmRegistryValue<cmString> {
public:
    cmRegistryValue(HKEY hRoot, LPCSTR szKeyPath, LPCSTR szValueName, LPCSTR szDefault);
    virtual ~cmRegistryValue();

    // current := text, then stores text as REG_SZ (with its terminating NUL)
    // through a writable copy of the key. True when the store accepted it.
    bool Commit(const cmString& text);
    // Reads the whole value (any type) and keeps its text up to the first
    // NUL as the value. False, with the value unchanged, on any error.
    bool Reload();

    const cmString& GetValue() const { return m_value; }
    const cmString& GetCurrent() const { return m_current; }
    const cmString& GetDefault() const { return m_default; }
    const cmString& GetName() const { return m_name; }
    const cmRegistryKey& GetKey() const { return m_key; }
    // Whether the value was in the store before this object was made.
    bool Existed() const { return m_bExisted; }

private:
    // Commit's write step.
    bool Write(const cmString& text);
    bool ReadText(cmString& out);

    cmString m_value;
    cmString m_current;
    cmString m_default;
    cmRegistryKey m_key;
    cmString m_name;
    [[maybe_unused]] BYTE m_bFlag = 0;  // kept for the layout; unused
    bool m_bExisted = false;
};
