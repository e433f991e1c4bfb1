// Asynchronous procedure calls: QueueUserAPC.
//
// A queued call runs on the target thread the next time that thread is in an
// alertable wait (SleepEx, WaitForSingleObjectEx, WaitForMultipleObjectsEx
// with bAlertable TRUE, MsgWaitForMultipleObjectsEx with MWMO_ALERTABLE).
// That wait runs every queued call, in order, and returns WAIT_IO_COMPLETION.
// Calls queued for a thread that ends before it waits alertably never run.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstdint>

using ULONG_PTR = std::uintptr_t;
using PAPCFUNC = void (*)(ULONG_PTR);

// Nonzero when the call was queued; 0 with ERROR_INVALID_HANDLE for a handle
// that is no thread handle or names a thread that has ended.
DWORD QueueUserAPC(PAPCFUNC pfnAPC, HANDLE hThread, ULONG_PTR dwData);
