#include "CustomCode/Common/cmRegistryValue.h"

#include "CustomCode/Common/cmRegistryBuffer.h"
#include "platform/kernel32/WinError.h"

#include <cstring>

cmRegistryValue<cmString>::cmRegistryValue(HKEY hRoot, LPCSTR szKeyPath, LPCSTR szValueName, LPCSTR szDefault)
{
    m_bExisted = IsValuePresent(hRoot, szKeyPath, szValueName);
    m_default = szDefault;
    cmRegistryKey key(hRoot, szKeyPath, cmRegistryCreate::CreateMissing);
    if (key.GetStatus() == ERROR_SUCCESS) {
        m_key = key;
        m_name = szValueName;
        // The presence test is repeated just before the write, so that a
        // value another program stored meanwhile is not overwritten.
        if (!m_bExisted && !IsValuePresent(hRoot, szKeyPath, szValueName))
            Write(m_default);
        Reload();
        if (!ReadText(m_current))
            m_current = m_default;
    }
    key.Close();
}

cmRegistryValue<cmString>::~cmRegistryValue() = default;

bool cmRegistryValue<cmString>::Commit(const cmString& text)
{
    m_current = text;
    return Write(text);
}

bool cmRegistryValue<cmString>::Reload() { return ReadText(m_value); }

bool cmRegistryValue<cmString>::Write(const cmString& text)
{
    cmRegistryKey writable = m_key.GetWritableCopy();
    const bool ok = writable.SetString(m_name, text) == ERROR_SUCCESS;
    writable.Close();
    return ok;
}

bool cmRegistryValue<cmString>::ReadText(cmString& out)
{
    cmRegistryBuffer buffer;
    if (buffer.Read(m_key.GetHandle(), m_name) != ERROR_SUCCESS)
        return false;
    const char* data = reinterpret_cast<const char*>(buffer.GetData());
    const DWORD cb = buffer.GetSize();
    const void* nul = cb != 0 ? std::memchr(data, '\0', cb) : nullptr;
    const DWORD n = nul != nullptr ? static_cast<DWORD>(static_cast<const char*>(nul) - data) : cb;
    out = cmString(data, n);
    return true;
}
