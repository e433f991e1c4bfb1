#include "CustomCode/Common/cmRegistryKey.h"

#include "CustomCode/Common/cmBuffer.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/WinError.h"

#include <cstring>
#include <string>

namespace {

constexpr DWORD kCmlibSubsystem = 0x10;  // the "cmlib" log subsystem
constexpr DWORD kNameBufferSize = 261;
constexpr DWORD kMissingDword = 0xFFFFFFFF;
// A value that another program keeps changing between the size query and
// the read is read again at most this often.
constexpr int kReadAttempts = 4;

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

}  // namespace

cmRegistryKey::cmRegistryKey() = default;

cmRegistryKey::cmRegistryKey(HKEY hParent, LPCSTR szPath, cmRegistryCreate eCreate) { Open(hParent, szPath, eCreate); }

cmRegistryKey::cmRegistryKey(const cmRegistryKey& parent, LPCSTR szPath, cmRegistryCreate eCreate)
{
    Open(parent, szPath, eCreate);
}

cmRegistryKey::cmRegistryKey(const cmRegistryKey& other) : m_samAccess(other.m_samAccess)
{
    m_lStatus = RegOpenKeyExA(other.m_hKey, nullptr, 0, m_samAccess, &m_hKey);
}

cmRegistryKey& cmRegistryKey::operator=(const cmRegistryKey& other)
{
    if (this == &other)
        return *this;
    Close();
    m_samAccess = other.m_samAccess;
    m_lStatus = RegOpenKeyExA(other.m_hKey, nullptr, 0, m_samAccess, &m_hKey);
    return *this;
}

cmRegistryKey::cmRegistryKey(cmRegistryKey&& other) noexcept
    : m_hKey(other.m_hKey), m_lStatus(other.m_lStatus), m_samAccess(other.m_samAccess)
{
    other.m_hKey = nullptr;
    other.m_samAccess = KEY_READ;
}

cmRegistryKey& cmRegistryKey::operator=(cmRegistryKey&& other) noexcept
{
    TakeFrom(other);
    return *this;
}

cmRegistryKey::~cmRegistryKey() { Close(); }

void cmRegistryKey::Open(HKEY hParent, LPCSTR szPath, cmRegistryCreate eCreate)
{
    // The new handle is made before the old one goes, so the parent may be this key.
    HKEY h = nullptr;
    const LONG st = RegOpenKeyExA(hParent, szPath, 0, KEY_READ, &h);
    if (st != ERROR_SUCCESS && eCreate == cmRegistryCreate::CreateMissing) {
        cmRegistryKey made = CreateKeyPath(hParent, szPath);
        TakeFrom(made);
        return;
    }
    Close();
    m_hKey = h;
    m_lStatus = st;
    m_samAccess = KEY_READ;
}

void cmRegistryKey::Open(const cmRegistryKey& parent, LPCSTR szPath, cmRegistryCreate eCreate)
{
    Open(parent.m_hKey, szPath, eCreate);
}

void cmRegistryKey::TakeFrom(cmRegistryKey& other)
{
    if (this == &other)
        return;
    Close();
    m_hKey = other.m_hKey;
    m_lStatus = other.m_lStatus;
    m_samAccess = other.m_samAccess;
    other.m_hKey = nullptr;
    other.m_samAccess = KEY_READ;
}

void cmRegistryKey::UpgradeSam(REGSAM samNew)
{
    HKEY h = nullptr;
    m_lStatus = RegOpenKeyExA(m_hKey, nullptr, 0, samNew, &h);
    if (m_lStatus != ERROR_SUCCESS) {
        cmLogPrint("cmRegistryKey: SAM upgrade failed!");
        return;
    }
    RegCloseKey(m_hKey);
    m_hKey = h;
    m_samAccess = samNew;
}

void cmRegistryKey::Close()
{
    if (m_hKey != nullptr) {
        m_lStatus = RegCloseKey(m_hKey);
        m_hKey = nullptr;
    }
    m_samAccess = KEY_READ;
}

cmRegistryKey cmRegistryKey::GetWritableCopy() const
{
    cmRegistryKey copy(*this);
    copy.UpgradeSam(copy.m_samAccess | KEY_WRITE);
    return copy;
}

DWORD cmRegistryKey::QueryDword(LPCSTR szName)
{
    DWORD type = REG_NONE;
    DWORD cb = 0;
    m_lStatus = RegQueryValueExA(m_hKey, szName, nullptr, &type, nullptr, &cb);
    if (m_lStatus != ERROR_SUCCESS)
        return kMissingDword;
    if (type != REG_DWORD) {
        m_lStatus = ERROR_INVALID_DATA;
        return kMissingDword;
    }
    DWORD value = 0;
    cb = sizeof value;
    m_lStatus = RegQueryValueExA(m_hKey, szName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &cb);
    if (m_lStatus != ERROR_SUCCESS)
        return 0;
    if (type != REG_DWORD) {
        // Another program replaced it with a value of another type meanwhile.
        m_lStatus = ERROR_INVALID_DATA;
        return kMissingDword;
    }
    return value;
}

LONG cmRegistryKey::SetDword(LPCSTR szName, DWORD dwValue)
{
    m_lStatus = RegSetValueExA(m_hKey, szName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwValue), sizeof dwValue);
    return m_lStatus;
}

cmString cmRegistryKey::QueryString(LPCSTR szName)
{
    DWORD type = REG_NONE;
    DWORD cb = 0;
    m_lStatus = RegQueryValueExA(m_hKey, szName, nullptr, &type, nullptr, &cb);
    if (m_lStatus != ERROR_SUCCESS)
        return cmString();
    if (!IsText(type)) {
        m_lStatus = ERROR_INVALID_DATA;
        return cmString();
    }
    for (int attempt = 0; attempt < kReadAttempts && cb != 0; ++attempt) {
        // One byte more than the data, zero-filled, so that text stored
        // without a terminator is still terminated here.
        cmBuffer buffer;
        if (FAILED(buffer.Allocate(cb + 1))) {
            m_lStatus = ERROR_NOT_ENOUGH_MEMORY;
            return cmString();
        }
        buffer.Fill(0);
        DWORD got = cb;
        m_lStatus = RegQueryValueExA(m_hKey, szName, nullptr, &type, buffer.GetData(), &got);
        if (m_lStatus == ERROR_MORE_DATA) {
            cb = got;  // it grew meanwhile
            continue;
        }
        if (m_lStatus != ERROR_SUCCESS)
            return cmString();
        if (!IsText(type)) {
            m_lStatus = ERROR_INVALID_DATA;
            return cmString();
        }
        const char* text = reinterpret_cast<const char*>(buffer.GetData());
        if (got > 0 && text[got - 1] == '\0')
            --got;  // the stored terminator is not part of the text
        return cmString(text, got);
    }
    return cmString();
}

LONG cmRegistryKey::SetString(LPCSTR szName, const cmString& text)
{
    m_lStatus = RegSetValueExA(m_hKey, szName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.GetText()),
                               text.GetLengthInTchars() + 1);
    return m_lStatus;
}

LONG cmRegistryKey::SetBinary(LPCSTR szName, DWORD cb, const BYTE* pData)
{
    m_lStatus = RegSetValueExA(m_hKey, szName, 0, REG_BINARY, pData, cb);
    return m_lStatus;
}

LONG cmRegistryKey::DeleteValue(LPCSTR szName)
{
    m_lStatus = RegDeleteValueA(m_hKey, szName);
    return m_lStatus;
}

cmString cmRegistryKey::EnumKeyName(DWORD dwIndex)
{
    char name[kNameBufferSize];
    std::memset(name, 0, sizeof name);
    m_lStatus = RegEnumKeyA(m_hKey, dwIndex, name, kNameBufferSize);
    return m_lStatus == ERROR_SUCCESS ? cmString(name) : cmString();
}

cmRegistryKey cmRegistryKey::OpenSubKeyByIndex(DWORD dwIndex)
{
    const cmString name = EnumKeyName(dwIndex);
    if (m_lStatus != ERROR_SUCCESS) {
        cmRegistryKey none;
        none.m_lStatus = m_lStatus;
        return none;
    }
    return cmRegistryKey(*this, name.GetText(), cmRegistryCreate::OpenExisting);
}

cmString cmRegistryKey::EnumValueName(DWORD dwIndex)
{
    char name[kNameBufferSize];
    std::memset(name, 0, sizeof name);
    DWORD cch = kNameBufferSize;
    m_lStatus = RegEnumValueA(m_hKey, dwIndex, name, &cch, nullptr, nullptr, nullptr, nullptr);
    return m_lStatus == ERROR_SUCCESS ? cmString(name, cch) : cmString();
}

cmRegistryKey CreateKeyPath(HKEY hRoot, LPCSTR szPath)
{
    cmRegistryKey key(hRoot, szPath, cmRegistryCreate::OpenExisting);
    if (key.GetStatus() == ERROR_SUCCESS)
        return key;

    cmRegistryKey root(hRoot, "", cmRegistryCreate::OpenExisting);
    root.UpgradeSam(KEY_CREATE_SUB_KEY);
    if (root.GetStatus() != ERROR_SUCCESS) {
        // Only the reason is handed on: a handle on the root is not the key asked for.
        cmRegistryKey refused;
        refused.m_lStatus = root.GetStatus();
        return refused;
    }
    HKEY created = nullptr;
    const LONG st = RegCreateKeyExA(root.GetHandle(), szPath, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ, nullptr,
                                    &created, nullptr);
    if (st == ERROR_SUCCESS) {
        RegCloseKey(created);
        return cmRegistryKey(hRoot, szPath, cmRegistryCreate::OpenExisting);
    }
    const char* last = szPath != nullptr ? std::strrchr(szPath, '\\') : nullptr;
    if (last == nullptr)
        return key;
    {
        const std::string parent(szPath, static_cast<std::size_t>(last - szPath));
        cmRegistryKey made = CreateKeyPath(hRoot, parent.c_str());
    }
    return cmRegistryKey(hRoot, szPath, cmRegistryCreate::OpenExisting);
}

bool IsKeyPresent(HKEY hRoot, LPCSTR szPath)
{
    CM_TRACE_FUNCTION(kCmlibSubsystem, "cmRegistryKey::IsKeyPresent");
    HKEY h = nullptr;
    const LONG lSuccess = RegOpenKeyExA(hRoot, szPath, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &h);
    if (lSuccess == ERROR_SUCCESS)
        RegCloseKey(h);
    CM_TRACE_RETURN(lSuccess == ERROR_SUCCESS);
}

bool IsValuePresent(HKEY hRoot, LPCSTR szPath, LPCSTR szValueName)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(hRoot, szPath, 0, KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, &h) != ERROR_SUCCESS)
        return false;
    const bool present = RegQueryValueExA(h, szValueName, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(h);
    return present;
}
