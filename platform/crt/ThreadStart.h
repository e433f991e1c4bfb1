// Starting a thread: _beginthreadex.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstdint>

using _beginthreadex_proc_type = unsigned (*)(void*);

// Starts a thread that runs start_address(arglist) and gives a handle on it
// (a thread handle, closed with CloseHandle; not waitable), with its id in
// *thrdaddr when that is not null. The thread runs detached: it ends when
// the routine returns. 0 (errno and the last error set) when no thread can
// be made. Security, stack size and flags are accepted and ignored.
std::uintptr_t _beginthreadex(void* security, unsigned stack_size, _beginthreadex_proc_type start_address,
                              void* arglist, unsigned initflag, unsigned* thrdaddr);
