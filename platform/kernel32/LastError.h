// The calling thread's last Win32 error, as GetLastError and SetLastError keep it.
#pragma once

#include "platform/kernel32/WinTypes.h"

DWORD GetLastError();
void SetLastError(DWORD dwErrCode);

// The Win32 error that best describes an errno value.
DWORD Win32ErrorFromErrno(int err);
