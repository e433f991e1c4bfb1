#include "platform/kernel32/ProcessExit.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/WinError.h"

#include <unistd.h>

BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode)
{
    if (hProcess != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    ::_exit(static_cast<int>(uExitCode & 0xFFu));
}
