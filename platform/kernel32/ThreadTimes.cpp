#include "platform/kernel32/ThreadTimes.h"

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Thread handles are shared with the thread calls (QueueUserAPC, DuplicateHandle).
using ThreadObject = platform::ThreadHandleObject;

// 100-ns units between 1601-01-01 and 1970-01-01.
constexpr ULONGLONG kEpochDifference = 116444736000000000ull;

FILETIME ToFileTime(ULONGLONG v)
{
    return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}

ULONGLONG FromTimeval(const struct timeval& tv)
{
    return static_cast<ULONGLONG>(tv.tv_sec) * 10000000ull + static_cast<ULONGLONG>(tv.tv_usec) * 10ull;
}

std::string TaskPath(DWORD tid) { return "/proc/self/task/" + std::to_string(tid); }

// Fields 14, 15 and 22 (utime, stime, starttime, in clock ticks) of a thread's stat line.
bool ReadTaskTicks(DWORD tid, ULONGLONG& utime, ULONGLONG& stime, ULONGLONG& start)
{
    std::FILE* f = std::fopen((TaskPath(tid) + "/stat").c_str(), "re");
    if (f == nullptr)
        return false;
    char line[1024];
    const bool got = std::fgets(line, sizeof line, f) != nullptr;
    std::fclose(f);
    if (!got)
        return false;
    // The command name (field 2) may hold blanks and parentheses; fields count from its last ')'.
    const char* p = std::strrchr(line, ')');
    if (p == nullptr)
        return false;
    unsigned long long u = 0, s = 0, st = 0;
    // After ')': field 3 (state) is the first; utime is field 14, stime 15, starttime 22.
    if (std::sscanf(p + 1, " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu %*d %*d %*d %*d %*d %*d %llu",
                    &u, &s, &st) != 3)
        return false;
    utime = u;
    stime = s;
    start = st;
    return true;
}

ULONGLONG BootTimeSeconds()
{
    std::FILE* f = std::fopen("/proc/stat", "re");
    if (f == nullptr)
        return 0;
    char line[256];
    unsigned long long btime = 0;
    while (std::fgets(line, sizeof line, f) != nullptr) {
        if (std::sscanf(line, "btime %llu", &btime) == 1)
            break;
    }
    std::fclose(f);
    return btime;
}

// A thread's start as a calendar time; 0 when the kernel does not tell.
ULONGLONG CreationTime(DWORD tid, ULONGLONG hz)
{
    ULONGLONG utime = 0, stime = 0, start = 0;
    const ULONGLONG boot = BootTimeSeconds();
    if (hz == 0 || boot == 0 || !ReadTaskTicks(tid, utime, stime, start))
        return 0;
    return kEpochDifference + boot * 10000000ull + start * 10000000ull / hz;
}

}  // namespace

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency)
{
    if (lpFrequency == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    lpFrequency->QuadPart = 1000000000;
    return TRUE;
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount)
{
    if (lpPerformanceCount == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    lpPerformanceCount->QuadPart = static_cast<LONGLONG>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
    return TRUE;
}

HANDLE OpenThread(DWORD /*dwDesiredAccess*/, BOOL /*bInheritHandle*/, DWORD dwThreadId)
{
    struct stat st {};
    if (dwThreadId == 0 || ::stat(TaskPath(dwThreadId).c_str(), &st) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform::RegisterHandle(new ThreadObject(dwThreadId));
}

BOOL GetThreadTimes(HANDLE hThread, FILETIME* lpCreationTime, FILETIME* lpExitTime, FILETIME* lpKernelTime,
                    FILETIME* lpUserTime)
{
    auto* thread = platform::LookupHandleAs<ThreadObject>(hThread);
    if (thread == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (lpCreationTime == nullptr || lpExitTime == nullptr || lpKernelTime == nullptr || lpUserTime == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const auto hz = static_cast<ULONGLONG>(::sysconf(_SC_CLK_TCK));
    if (thread->Tid() == GetCurrentThreadId()) {
        // The calling thread: exact figures and no file reading, so that timing
        // every traced call stays cheap. Its creation time is read once.
        struct rusage ru {};
        if (::getrusage(RUSAGE_THREAD, &ru) != 0) {
            SetLastError(Win32ErrorFromErrno(errno));
            return FALSE;
        }
        thread_local const ULONGLONG created = CreationTime(thread->Tid(), hz);
        *lpUserTime = ToFileTime(FromTimeval(ru.ru_utime));
        *lpKernelTime = ToFileTime(FromTimeval(ru.ru_stime));
        *lpCreationTime = ToFileTime(created);
    } else {
        ULONGLONG utime = 0, stime = 0, start = 0;
        if (!ReadTaskTicks(thread->Tid(), utime, stime, start) || hz == 0) {
            SetLastError(ERROR_INVALID_HANDLE);  // the thread has ended
            return FALSE;
        }
        *lpUserTime = ToFileTime(utime * 10000000ull / hz);
        *lpKernelTime = ToFileTime(stime * 10000000ull / hz);
        *lpCreationTime = ToFileTime(CreationTime(thread->Tid(), hz));
    }
    *lpExitTime = ToFileTime(0);
    return TRUE;
}
