// SetThreadPriority and GetThreadPriority for the threads of this process,
// named by a thread handle or GetCurrentThread().
//
// Linux has no priority levels within a process; a thread's nice value
// stands in for them: THREAD_PRIORITY_IDLE is the weakest (nice 19), the
// other levels map to nice values around 0. Without privileges a thread's
// priority can be lowered but not raised again: such a request fails with
// ERROR_ACCESS_DENIED.
#pragma once

#include "platform/kernel32/WinTypes.h"

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// FALSE with the last error set for an unknown handle
// (ERROR_INVALID_HANDLE), a level not listed above (ERROR_INVALID_PARAMETER)
// or a refused raise (ERROR_ACCESS_DENIED).
BOOL SetThreadPriority(HANDLE hThread, int nPriority);
// The level whose nice value is nearest to the thread's;
// THREAD_PRIORITY_ERROR_RETURN for an unknown handle.
int GetThreadPriority(HANDLE hThread);
