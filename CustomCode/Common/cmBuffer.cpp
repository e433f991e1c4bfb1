#include "CustomCode/Common/cmBuffer.h"

#include "platform/ole/TaskAllocator.h"

#include <cstring>

cmBuffer::cmBuffer(const cmBuffer& other) { Set(other.m_cb, other.m_pData); }

cmBuffer& cmBuffer::operator=(const cmBuffer& other)
{
    if (this != &other)
        Set(other.m_cb, other.m_pData);
    return *this;
}

cmBuffer::~cmBuffer() { Free(); }

void cmBuffer::Free()
{
    CoTaskMemFree(m_pData);
    m_pData = nullptr;
    m_cb = 0;
}

HRESULT cmBuffer::Allocate(DWORD cb)
{
    Free();
    if (cb == 0)
        return S_OK;
    m_pData = static_cast<BYTE*>(CoTaskMemAlloc(cb));
    if (m_pData == nullptr)
        return E_OUTOFMEMORY;
    m_cb = cb;
    return S_OK;
}

HRESULT cmBuffer::Set(DWORD cb, const void* pData)
{
    if (pData == m_pData && cb == m_cb)
        return S_OK;
    // Copy first: pData may point into our own block.
    BYTE* block = nullptr;
    if (cb != 0) {
        block = static_cast<BYTE*>(CoTaskMemAlloc(cb));
        if (block == nullptr) {
            Free();
            return E_OUTOFMEMORY;
        }
        if (pData != nullptr)
            std::memcpy(block, pData, cb);
        else
            std::memset(block, 0, cb);
    }
    Free();
    m_pData = block;
    m_cb = cb;
    return S_OK;
}

HRESULT cmBuffer::Insert(const cmBuffer& other, LONG nOffset)
{
    if (nOffset < 0 || static_cast<DWORD>(nOffset) > m_cb)
        return E_INVALIDARG;
    const std::size_t total = static_cast<std::size_t>(m_cb) + other.m_cb;
    if (total > 0xFFFFFFFFu)
        return E_OUTOFMEMORY;
    if (total == 0)
        return S_OK;
    BYTE* block = static_cast<BYTE*>(CoTaskMemAlloc(total));
    if (block == nullptr)
        return E_OUTOFMEMORY;
    const DWORD off = static_cast<DWORD>(nOffset);
    if (off != 0)
        std::memcpy(block, m_pData, off);
    if (other.m_cb != 0)
        std::memcpy(block + off, other.m_pData, other.m_cb);
    if (m_cb - off != 0)
        std::memcpy(block + off + other.m_cb, m_pData + off, m_cb - off);
    Free();
    m_pData = block;
    m_cb = static_cast<DWORD>(total);
    return S_OK;
}

void cmBuffer::Fill(BYTE b)
{
    if (m_pData != nullptr)
        std::memset(m_pData, b, m_cb);
}
