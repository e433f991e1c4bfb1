#include "CustomCode/Common/cmString.h"

#include "platform/TaskAllocator.h"

#include <cstring>

cmString::cmString() = default;

cmString::cmString(LPCSTR sz)
{
    if (sz != nullptr)
        Assign(sz, static_cast<DWORD>(std::strlen(sz)));
}

cmString::cmString(LPCSTR sz, DWORD cb)
{
    if (sz != nullptr)
        Assign(sz, cb);
}

cmString::cmString(const cmString& other) { Assign(other.GetText(), other.m_length); }

cmString::~cmString() { Free(); }

cmString& cmString::operator=(const cmString& other)
{
    if (this != &other)
        Assign(other.GetText(), other.m_length);
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

void cmString::Assign(LPCSTR sz, DWORD cb)
{
    // The source may lie inside our own buffer, so the new block is filled
    // before the old one is freed.
    char* block = static_cast<char*>(CoTaskMemAlloc(static_cast<std::size_t>(cb) + 1));
    if (block != nullptr) {
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
