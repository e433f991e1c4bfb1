#include "objdb/pjDatabaseFile.h"

#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"

namespace {

HRESULT LastErrorResult()
{
    const DWORD e = GetLastError();
    return e == ERROR_SUCCESS ? E_FAIL : HRESULT_FROM_WIN32(e);
}

}  // namespace

HRESULT pjWritePacketToNewFile(LPCSTR szFileName, const cmPacket& packet)
{
    HANDLE h = CreateFileA(szFileName, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return LastErrorResult();
    DWORD written = 0;
    const BOOL ok = WriteFile(h, packet.GetData(), packet.GetSize(), &written, nullptr);
    const HRESULT hr = (ok && written == packet.GetSize()) ? S_OK : LastErrorResult();
    CloseHandle(h);
    return hr;
}

HRESULT pjReadPacketFromFile(LPCSTR szFileName, cmPacket& packet)
{
    HANDLE h = CreateFileA(szFileName, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return LastErrorResult();
    const DWORD e = packet.ReadWholeFile(h);
    CloseHandle(h);
    return e == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(e);
}
