#include "CustomCode/Common/cmInstanceMutex.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/NamedMutex.h"
#include "platform/kernel32/WinError.h"

cmInstanceMutex::cmInstanceMutex(LPCSTR szName) : m_szName(szName) {}

cmInstanceMutex::~cmInstanceMutex()
{
    // The handle is not closed: the process ends right after, and the system
    // closes it then.
    if (m_hMutex != nullptr)
        ReleaseMutex(m_hMutex);
}

int cmInstanceMutex::IsAlreadyRunning()
{
    HANDLE h = CreateMutexA(nullptr, TRUE, m_szName);
    if (GetLastError() == ERROR_ALREADY_EXISTS)
        return 1;
    m_hMutex = h;
    return 0;
}
