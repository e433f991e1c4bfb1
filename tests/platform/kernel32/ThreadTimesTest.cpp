#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadLocalStorage.h"
#include "platform/kernel32/ThreadTimes.h"
#include "platform/kernel32/WinError.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

ULONGLONG Value(const FILETIME& f) { return (static_cast<ULONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime; }

ULONGLONG UserTime(HANDLE h)
{
    FILETIME c, e, k, u;
    if (!GetThreadTimes(h, &c, &e, &k, &u))
        return 0;
    return Value(u);
}

// Spins until the thread's user time moves past `from` (bounded: 10 s of work).
ULONGLONG SpinPast(HANDLE h, ULONGLONG from)
{
    volatile unsigned sink = 0;
    for (int round = 0; round < 100000; ++round) {
        for (int i = 0; i < 100000; ++i)
            sink = sink + static_cast<unsigned>(i);
        const ULONGLONG now = UserTime(h);
        if (now > from)
            return now;
    }
    return from;
}

}  // namespace

TEST(ThreadTimes, CounterIsMonotonicNanoseconds)
{
    LARGE_INTEGER f, a, b;
    ASSERT_TRUE(QueryPerformanceFrequency(&f));
    EXPECT_EQ(f.QuadPart, 1000000000);
    ASSERT_TRUE(QueryPerformanceCounter(&a));
    ASSERT_TRUE(QueryPerformanceCounter(&b));
    EXPECT_LE(a.QuadPart, b.QuadPart);
}

TEST(ThreadTimes, OwnThreadTimesGrowWithWork)
{
    HANDLE h = OpenThread(THREAD_QUERY_INFORMATION, FALSE, GetCurrentThreadId());
    ASSERT_NE(h, nullptr);
    FILETIME c, e, k, u;
    ASSERT_TRUE(GetThreadTimes(h, &c, &e, &k, &u));
    EXPECT_GT(Value(c), 116444736000000000ull) << "a calendar time after 1970";
    EXPECT_EQ(Value(e), 0u);
    const ULONGLONG before = Value(u);
    EXPECT_GT(SpinPast(h, before), before);
    EXPECT_TRUE(CloseHandle(h));
}

TEST(ThreadTimes, AnotherThreadIsMeasuredThroughItsHandle)
{
    std::atomic<DWORD> tid{0};
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        tid = GetCurrentThreadId();
        volatile unsigned sink = 0;
        while (!stop)
            sink = sink + 1;
    });
    while (tid == 0)
        std::this_thread::yield();
    HANDLE h = OpenThread(THREAD_QUERY_INFORMATION, FALSE, tid);
    ASSERT_NE(h, nullptr);
    ULONGLONG seen = 0;
    for (int i = 0; i < 1000 && seen == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        seen = UserTime(h);
    }
    EXPECT_GT(seen, 0u) << "the busy worker's user time, from the kernel's account";
    stop = true;
    worker.join();
    CloseHandle(h);
}

TEST(ThreadTimes, UnknownThreadsAndHandlesFail)
{
    EXPECT_EQ(OpenThread(THREAD_QUERY_INFORMATION, FALSE, 0x7FFFFFF0u), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    FILETIME c, e, k, u;
    int notAHandle = 0;
    EXPECT_FALSE(GetThreadTimes(&notAHandle, &c, &e, &k, &u));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(ThreadLocalStorage, EachThreadSeesItsOwnValue)
{
    const DWORD slot = TlsAlloc();
    ASSERT_NE(slot, TLS_OUT_OF_INDEXES);
    int mine = 1, theirs = 2;
    EXPECT_EQ(TlsGetValue(slot), nullptr);
    ASSERT_TRUE(TlsSetValue(slot, &mine));
    std::thread other([&] {
        EXPECT_EQ(TlsGetValue(slot), nullptr) << "a new thread starts empty";
        TlsSetValue(slot, &theirs);
        EXPECT_EQ(TlsGetValue(slot), &theirs);
    });
    other.join();
    EXPECT_EQ(TlsGetValue(slot), &mine);
    SetLastError(ERROR_ACCESS_DENIED);
    TlsGetValue(slot);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED) << "reading a slot keeps the last error";
    EXPECT_TRUE(TlsFree(slot));
}
