// The performance counter (QueryPerformanceCounter, on CLOCK_MONOTONIC in
// nanoseconds) and thread CPU times (OpenThread, GetThreadTimes).
//
// GetThreadTimes gives the calling thread's user and kernel times from
// getrusage(RUSAGE_THREAD) (microsecond resolution); for another thread of the
// process it reads the kernel's per-thread account in /proc (clock-tick
// resolution). Times are in 100-ns units, as on Windows. The creation time is
// a calendar time (100-ns units since 1601); the exit time of a running
// thread is 0.
#pragma once

#include "platform/kernel32/WinTypes.h"

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

constexpr DWORD THREAD_QUERY_INFORMATION = 0x0040;

// Counts per second of the performance counter (1,000,000,000).
BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);
BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);

// A handle on a thread of this process (closed with CloseHandle); null with
// ERROR_INVALID_PARAMETER when the process has no thread of that id.
HANDLE OpenThread(DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwThreadId);

BOOL GetThreadTimes(HANDLE hThread, FILETIME* lpCreationTime, FILETIME* lpExitTime, FILETIME* lpKernelTime,
                    FILETIME* lpUserTime);
