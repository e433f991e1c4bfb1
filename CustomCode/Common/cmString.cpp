#include "CustomCode/Common/cmString.h"

#include "CustomCode/Common/cmStringChars.h"
#include "platform/ole/TaskAllocator.h"

#include <cstring>
#include <string>
#include <utility>

cmString::cmString() = default;

cmString::cmString(LPCSTR sz)
{
    if (sz != nullptr)
        Assign(sz, static_cast<DWORD>(std::strlen(sz)));
}

cmString::cmString(std::nullptr_t) {}

cmString::cmString(LPCSTR sz, DWORD cb)
{
    if (sz != nullptr)
        Assign(sz, cb);
}

cmString::cmString(char ch) { Assign(&ch, 1); }

cmString::cmString(const char16_t* wsz)
{
    if (wsz == nullptr)
        return;
    DWORD cch = 0;
    while (wsz[cch] != 0)
        ++cch;
    const std::string narrow = platform::Utf16ToUtf8(wsz, cch);
    Assign(narrow.data(), static_cast<DWORD>(narrow.size()));
}

cmString::cmString(const char16_t* pwch, DWORD cch)
{
    if (pwch == nullptr)
        return;
    const std::string narrow = platform::Utf16ToUtf8(pwch, cch);
    Assign(narrow.data(), static_cast<DWORD>(narrow.size()));
}

cmString::cmString(UINT uIdOrType, LPCSTR szName, HMODULE hModule, WORD wLanguage)
{
    Load(uIdOrType, szName, hModule, wLanguage);
}

cmString::cmString(const cmString& other) { Assign(other.GetText(), other.m_length); }

cmString::cmString(cmString&& other) noexcept
    : m_text(other.m_text), m_length(other.m_length), m_capacity(other.m_capacity), m_locked(other.m_locked)
{
    other.m_text = nullptr;
    other.m_length = 0;
    other.m_capacity = 0;
    other.m_locked = 0;
}

cmString::~cmString() { Free(); }

cmString& cmString::operator=(const cmString& other)
{
    if (this != &other)
        Assign(other.GetText(), other.m_length);
    return *this;
}

cmString& cmString::operator=(cmString&& other) noexcept
{
    if (this != &other) {
        Free();
        std::swap(m_text, other.m_text);
        std::swap(m_length, other.m_length);
        std::swap(m_capacity, other.m_capacity);
        std::swap(m_locked, other.m_locked);
    }
    return *this;
}

cmString& cmString::operator=(LPCSTR sz)
{
    if (sz == nullptr) {
        Free();
    } else if (sz != m_text) {
        Assign(sz, static_cast<DWORD>(std::strlen(sz)));
    }
    return *this;
}

LPCSTR cmString::GetText() const
{
    return (m_text == nullptr || m_length == 0) ? &m_emptyText : m_text;
}

DWORD cmString::GetLengthInCharacters() const { return cmStringChars::CountChars(GetText(), m_length); }

void cmString::Empty()
{
    if (m_text != nullptr)
        m_text[0] = '\0';
    m_length = 0;
}

char cmString::GetAt(LONG nIndex) const
{
    if (nIndex < 0 || static_cast<DWORD>(nIndex) >= m_length)
        return ' ';
    return m_text[nIndex];
}

LPSTR cmString::GetBuffer(DWORD nMinLength)
{
    if (nMinLength == 0xFFFFFFFFu)
        return nullptr;
    if (m_text == nullptr || m_capacity < nMinLength + 1) {
        char* block = static_cast<char*>(CoTaskMemAlloc(static_cast<std::size_t>(nMinLength) + 1));
        if (block == nullptr)
            return nullptr;
        std::memset(block, 0, static_cast<std::size_t>(nMinLength) + 1);
        if (m_text != nullptr)
            std::memcpy(block, m_text, m_length);
        CoTaskMemFree(m_text);
        m_text = block;
        m_capacity = nMinLength + 1;
    }
    m_locked = 1;
    return m_text;
}

void cmString::ReleaseBuffer(LONG nNewLength)
{
    m_locked = 0;
    if (m_text == nullptr) {
        m_length = 0;
        return;
    }
    if (nNewLength == -1) {
        const void* nul = std::memchr(m_text, '\0', m_capacity);
        nNewLength = nul != nullptr ? static_cast<LONG>(static_cast<const char*>(nul) - m_text) : 0;
    }
    DWORD n = nNewLength < 0 ? 0 : static_cast<DWORD>(nNewLength);
    if (n > m_capacity - 1)
        n = m_capacity - 1;
    m_length = n;
    m_text[n] = '\0';
}

HRESULT cmString::Lock(LPSTR* ppBuffer)
{
    if (m_locked != 0)
        return E_ACCESSDENIED;
    if (ppBuffer == nullptr)
        return E_POINTER;
    *ppBuffer = m_text;
    m_locked = 1;
    return S_OK;
}

HRESULT cmString::Unlock()
{
    if (m_locked == 0)
        return E_ACCESSDENIED;
    m_locked = 0;
    return S_OK;
}

HRESULT cmString::Shrink(DWORD nMinCapacity)
{
    if (m_text == nullptr)
        return S_OK;
    const DWORD target = m_length + 1 > nMinCapacity ? m_length + 1 : nMinCapacity;
    if (target >= m_capacity)
        return S_OK;
    char* block = static_cast<char*>(CoTaskMemRealloc(m_text, target));
    if (block == nullptr)
        return E_OUTOFMEMORY;
    m_text = block;
    m_capacity = target;
    return S_OK;
}

bool cmString::operator==(const cmString& other) const
{
    return m_length == other.m_length && std::memcmp(GetText(), other.GetText(), m_length) == 0;
}

bool cmString::operator==(LPCSTR sz) const
{
    return std::strcmp(GetText(), sz != nullptr ? sz : "") == 0;
}

bool cmString::operator<(const cmString& other) const { return std::strcmp(GetText(), other.GetText()) < 0; }

bool cmString::operator>(const cmString& other) const { return std::strcmp(GetText(), other.GetText()) > 0; }

int cmString::Compare(LPCSTR sz, cmStringCase eCase) const
{
    const unsigned char* a = reinterpret_cast<const unsigned char*>(GetText());
    const unsigned char* b = reinterpret_cast<const unsigned char*>(sz != nullptr ? sz : "");
    if (eCase == cmStringCase::Sensitive)
        return std::strcmp(reinterpret_cast<const char*>(a), reinterpret_cast<const char*>(b));
    for (;; ++a, ++b) {
        const unsigned char ca = static_cast<unsigned char>(cmStringChars::ToLowerAscii(static_cast<char>(*a)));
        const unsigned char cb = static_cast<unsigned char>(cmStringChars::ToLowerAscii(static_cast<char>(*b)));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            return 0;
    }
}

cmString operator+(const cmString& a, const cmString& b)
{
    cmString r(a);
    r.Append(b.GetText(), b.GetLengthInTchars());
    return r;
}

cmString operator+(const cmString& a, LPCSTR b)
{
    cmString r(a);
    if (b != nullptr)
        r.Append(b, static_cast<DWORD>(std::strlen(b)));
    return r;
}

cmString operator+(LPCSTR a, const cmString& b)
{
    cmString r(a);
    r.Append(b.GetText(), b.GetLengthInTchars());
    return r;
}

cmString& cmString::operator+=(const cmString& other)
{
    Append(other.GetText(), other.m_length);
    return *this;
}

cmString& cmString::operator+=(LPCSTR sz)
{
    if (sz != nullptr)
        Append(sz, static_cast<DWORD>(std::strlen(sz)));
    return *this;
}

cmString& cmString::operator+=(char ch)
{
    Append(&ch, 1);
    return *this;
}

HRESULT cmString::Append(LPCSTR sz, DWORD cb)
{
    if (cb == 0)
        return S_OK;
    if (sz == nullptr)
        return E_POINTER;
    return Splice(m_length, 0, sz, cb) ? S_OK : E_OUTOFMEMORY;
}

void cmString::Assign(LPCSTR sz, DWORD cb)
{
    // The source may lie inside our own buffer, so the new block is filled
    // before the old one is freed.
    char* block = cb == 0xFFFFFFFFu ? nullptr : static_cast<char*>(CoTaskMemAlloc(static_cast<std::size_t>(cb) + 1));
    if (block != nullptr) {
        if (cb != 0)
            std::memcpy(block, sz, cb);
        block[cb] = '\0';
    }
    Free();
    if (block == nullptr)
        return;  // allocation failure leaves the string empty
    m_text = block;
    m_length = cb;
    m_capacity = cb + 1;
}

void cmString::Free()
{
    CoTaskMemFree(m_text);
    m_text = nullptr;
    m_length = 0;
    m_capacity = 0;
}

bool cmString::Reserve(DWORD cbLength)
{
    if (cbLength == 0xFFFFFFFFu)
        return false;
    if (m_text != nullptr && m_capacity >= cbLength + 1)
        return true;
    // Grow geometrically so that repeated appends stay linear.
    std::size_t cap = static_cast<std::size_t>(cbLength) + 1;
    const std::size_t doubled = static_cast<std::size_t>(m_capacity) * 2;
    if (doubled > cap && doubled <= 0xFFFFFFFFu)
        cap = doubled;
    char* block = static_cast<char*>(CoTaskMemRealloc(m_text, cap));
    if (block == nullptr)
        return false;
    if (m_text == nullptr)
        block[0] = '\0';
    m_text = block;
    m_capacity = static_cast<DWORD>(cap);
    return true;
}

bool cmString::Splice(DWORD off, DWORD cbOld, LPCSTR p, DWORD cbNew)
{
    const std::size_t newLength = static_cast<std::size_t>(m_length) - cbOld + cbNew;
    if (newLength >= 0xFFFFFFFFu)
        return false;
    // p may point into our own buffer, which Reserve may move.
    std::string copy;
    if (cbNew != 0 && m_text != nullptr && p >= m_text && p < m_text + m_capacity) {
        copy.assign(p, cbNew);
        p = copy.data();
    }
    if (!Reserve(static_cast<DWORD>(newLength)))
        return false;
    std::memmove(m_text + off + cbNew, m_text + off + cbOld, m_length - off - cbOld);
    if (cbNew != 0)
        std::memcpy(m_text + off, p, cbNew);
    m_length = static_cast<DWORD>(newLength);
    m_text[m_length] = '\0';
    return true;
}

DWORD cmString::ByteOffset(DWORD nChar) const { return cmStringChars::ByteOffset(GetText(), m_length, nChar); }
