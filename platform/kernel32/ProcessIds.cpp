#include "platform/kernel32/ProcessIds.h"

#include <sys/types.h>
#include <unistd.h>

DWORD GetCurrentProcessId() { return static_cast<DWORD>(::getpid()); }

DWORD GetCurrentThreadId()
{
    // gettid is a system call; the id cannot change for the life of the thread.
    thread_local const DWORD id = static_cast<DWORD>(::gettid());
    return id;
}
