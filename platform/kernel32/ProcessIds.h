// Process and thread identities.
#pragma once

#include "platform/kernel32/WinTypes.h"

DWORD GetCurrentProcessId();
// The kernel's id of the calling thread: unique in the system while the thread lives.
DWORD GetCurrentThreadId();
