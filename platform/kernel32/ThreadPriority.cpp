#include "platform/kernel32/ThreadPriority.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <cstdlib>
#include <sys/resource.h>

namespace {

struct Level {
    int priority;
    int nice;
};

// From the weakest to the strongest.
constexpr Level kLevels[] = {
    {THREAD_PRIORITY_IDLE, 19},   {THREAD_PRIORITY_LOWEST, 10}, {THREAD_PRIORITY_BELOW_NORMAL, 5},
    {THREAD_PRIORITY_NORMAL, 0},  {THREAD_PRIORITY_ABOVE_NORMAL, -5}, {THREAD_PRIORITY_HIGHEST, -10},
    {THREAD_PRIORITY_TIME_CRITICAL, -20},
};

}  // namespace

BOOL SetThreadPriority(HANDLE hThread, int nPriority)
{
    const DWORD tid = GetThreadId(hThread);
    if (tid == 0)
        return FALSE;
    for (const Level& l : kLevels) {
        if (l.priority != nPriority)
            continue;
        // With a thread id, setpriority acts on that thread alone.
        if (::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), l.nice) != 0) {
            SetLastError(errno == ESRCH ? ERROR_INVALID_HANDLE : ERROR_ACCESS_DENIED);
            return FALSE;
        }
        return TRUE;
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

int GetThreadPriority(HANDLE hThread)
{
    const DWORD tid = GetThreadId(hThread);
    if (tid == 0)
        return THREAD_PRIORITY_ERROR_RETURN;
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (nice == -1 && errno != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return THREAD_PRIORITY_ERROR_RETURN;
    }
    const Level* best = &kLevels[0];
    for (const Level& l : kLevels) {
        if (std::abs(l.nice - nice) < std::abs(best->nice - nice))
            best = &l;
    }
    return best->priority;
}
