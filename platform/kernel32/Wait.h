// Waiting: WaitForSingleObject(Ex), WaitForMultipleObjects(Ex), Sleep,
// SleepEx. (MsgWaitForMultipleObjects(Ex), which also wakes for window
// messages, is declared in platform/user32/WinUser.h.)
//
// Waitable handles are events (platform/kernel32/Event.h). Named mutexes, process and
// thread handles are not waitable: waiting on them gives WAIT_FAILED with
// ERROR_INVALID_HANDLE. A wait takes the signal of an automatic-reset event,
// so exactly one waiter wakes per SetEvent. With several handles the lowest
// signaled index wins; with bWaitAll every object must be signaled at one
// moment and all are taken together (a handle listed twice is
// ERROR_INVALID_PARAMETER then). An alertable wait first checks the objects,
// then runs the thread's queued calls (platform/kernel32/Apc.h) and returns
// WAIT_IO_COMPLETION if there were any.
#pragma once

#include "platform/kernel32/WinTypes.h"

constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED_0 = 0x00000080;
constexpr DWORD WAIT_IO_COMPLETION = 0x000000C0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
DWORD WaitForSingleObjectEx(HANDLE hHandle, DWORD dwMilliseconds, BOOL bAlertable);

// nCount from 1 to MAXIMUM_WAIT_OBJECTS, else WAIT_FAILED with ERROR_INVALID_PARAMETER.
DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds);
DWORD WaitForMultipleObjectsEx(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds,
                               BOOL bAlertable);

void Sleep(DWORD dwMilliseconds);
// 0 when the time passed, WAIT_IO_COMPLETION when queued calls ran.
DWORD SleepEx(DWORD dwMilliseconds, BOOL bAlertable);
