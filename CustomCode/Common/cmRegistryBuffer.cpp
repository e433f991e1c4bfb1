#include "CustomCode/Common/cmRegistryBuffer.h"

#include "platform/kernel32/WinError.h"

namespace {
constexpr int kReadAttempts = 4;
}

LONG cmRegistryBuffer::Read(HKEY hKey, LPCSTR szValueName)
{
    Free();
    LONG st = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < kReadAttempts && st == ERROR_MORE_DATA; ++attempt) {
        DWORD type = REG_NONE;
        DWORD cb = 0;
        st = RegQueryValueExA(hKey, szValueName, nullptr, &type, nullptr, &cb);
        if (st != ERROR_SUCCESS)
            return st;
        cmBuffer bytes;
        if (cb != 0 && FAILED(bytes.Allocate(cb)))
            return ERROR_NOT_ENOUGH_MEMORY;
        DWORD got = cb;
        if (cb != 0) {
            st = RegQueryValueExA(hKey, szValueName, nullptr, &type, bytes.GetData(), &got);
            if (st != ERROR_SUCCESS)
                continue;  // the bytes go with the local buffer
        }
        // The value may have shrunk between the two queries.
        if (got != cb) {
            if (got != 0 && FAILED(m_data.Set(got, bytes.GetData())))
                return ERROR_NOT_ENOUGH_MEMORY;
        } else {
            m_data = bytes;
        }
        m_dwType = type;
        return ERROR_SUCCESS;
    }
    return st;
}

LONG cmRegistryBuffer::Write(HKEY hKey, LPCSTR szValueName) const
{
    // The buffer's own bytes, also for text read without its terminator:
    // RegSetValueExA would look past the end of the block for one.
    return platform::RegSetValueExact(hKey, szValueName, m_dwType, m_data.GetData(), m_data.GetSize());
}

LONG cmRegistryBuffer::Set(DWORD dwType, DWORD cb, const void* pData)
{
    Free();
    if (cb != 0 && FAILED(m_data.Set(cb, pData)))
        return ERROR_NOT_ENOUGH_MEMORY;
    m_dwType = dwType;
    return ERROR_SUCCESS;
}

void cmRegistryBuffer::Free()
{
    m_data.Free();
    m_dwType = REG_NONE;
}
