// cmBuffer: an owned block of bytes on the COM task allocator (resources,
// registry data, descriptions, conversions). Copies never share data.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

class cmBuffer {
public:
    cmBuffer() = default;
    cmBuffer(const cmBuffer& other);
    cmBuffer& operator=(const cmBuffer& other);
    ~cmBuffer();

    // Frees the old data and allocates cb bytes (0 leaves no data).
    // E_OUTOFMEMORY, with size 0, when the allocation fails.
    HRESULT Allocate(DWORD cb);
    // Allocate, then copy cb bytes from pData.
    HRESULT Set(DWORD cb, const void* pData);
    // A new block holds the bytes before nOffset, the other buffer's bytes,
    // then the rest. E_INVALIDARG when nOffset is negative or past the size.
    HRESULT Insert(const cmBuffer& other, LONG nOffset);
    HRESULT Append(const cmBuffer& other) { return Insert(other, static_cast<LONG>(m_cb)); }
    // Copies the resource's bytes (FindResourceExA, LoadResource,
    // LockResource, SizeofResource); E_ACCESSDENIED when any step finds nothing.
    HRESULT ReadResource(LPCSTR szType, LPCSTR szName, HMODULE hModule, WORD wLanguage);
    // Sets every byte to b.
    void Fill(BYTE b);
    // Gives up the data.
    void Free();

    BYTE* GetData() { return m_pData; }
    const BYTE* GetData() const { return m_pData; }
    DWORD GetSize() const { return m_cb; }

private:
    BYTE* m_pData = nullptr;
    DWORD m_cb = 0;
};
