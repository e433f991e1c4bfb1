// cmRegistryBuffer: one whole registry value of any type (its bytes, byte
// count and type number), carried between the store and cmRegistryValue.
// The bytes are allocated per read and released with the buffer.
#pragma once

#include "CustomCode/Common/cmBuffer.h"
#include "platform/advapi32/Registry.h"
#include "platform/kernel32/WinTypes.h"

class cmRegistryBuffer {
public:
    cmRegistryBuffer() = default;

    // Reads the value: its size and type first, then its bytes. Returns the
    // Win32 status; on failure the buffer holds no bytes. A value that grows
    // between the two queries (another program wrote it) is read again.
    LONG Read(HKEY hKey, LPCSTR szValueName);
    // Stores the buffer's bytes with its own type and byte count.
    LONG Write(HKEY hKey, LPCSTR szValueName) const;

    // Replaces the contents; ERROR_NOT_ENOUGH_MEMORY when the copy fails.
    LONG Set(DWORD dwType, DWORD cb, const void* pData);
    void Free();

    DWORD GetType() const { return m_dwType; }
    DWORD GetSize() const { return m_data.GetSize(); }
    const BYTE* GetData() const { return m_data.GetData(); }

private:
    cmBuffer m_data;
    DWORD m_dwType = REG_NONE;
};
