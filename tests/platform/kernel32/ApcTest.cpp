#include "platform/kernel32/Apc.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/ThreadTimes.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/WinUser.h"
#include "tests/support/ThreadAsleep.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

struct Record {
    std::atomic<int> calls{0};
    std::atomic<DWORD> thread{0};
    std::vector<ULONG_PTR> order;  // appended on the target thread only
};

Record* g_record = nullptr;

void RecordCall(ULONG_PTR data)
{
    ++g_record->calls;
    g_record->thread = GetCurrentThreadId();
    g_record->order.push_back(data);
}

HANDLE RealCurrentThread()
{
    HANDLE h = nullptr;
    EXPECT_TRUE(DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &h, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    return h;
}

}  // namespace

TEST(Apc, RunsOnlyInAnAlertableWaitOnTheTargetThread)
{
    Record record;
    g_record = &record;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HANDLE> target{nullptr};
    std::atomic<bool> queued{false};
    DWORD plain = 0;
    DWORD plainMsg = 0;
    int callsAfterPlain = -1;
    DWORD alertable = 0;
    DWORD targetId = 0;

    std::thread worker([&] {
        targetId = GetCurrentThreadId();
        target = RealCurrentThread();
        while (!queued)
            std::this_thread::yield();
        plain = WaitForSingleObject(event, 50);
        plainMsg = MsgWaitForMultipleObjectsEx(1, &event, 50, QS_ALLINPUT, 0);
        Sleep(10);
        callsAfterPlain = record.calls;
        alertable = SleepEx(5000, TRUE);
    });
    while (target.load() == nullptr)
        std::this_thread::yield();
    ASSERT_NE(QueueUserAPC(RecordCall, target, 1), 0u);
    ASSERT_NE(QueueUserAPC(RecordCall, target, 2), 0u);
    queued = true;
    worker.join();

    EXPECT_EQ(plain, WAIT_TIMEOUT);
    EXPECT_EQ(plainMsg, WAIT_TIMEOUT);
    EXPECT_EQ(callsAfterPlain, 0) << "a call ran outside an alertable wait";
    EXPECT_EQ(alertable, 192u);
    EXPECT_EQ(record.calls, 2);
    EXPECT_EQ(record.thread.load(), targetId);
    EXPECT_EQ(record.order, (std::vector<ULONG_PTR>{1, 2}));
    CloseHandle(target);
    CloseHandle(event);
}

TEST(Apc, WakesAThreadBlockedInAnAlertableWait)
{
    Record record;
    g_record = &record;
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<HANDLE> target{nullptr};
    std::atomic<DWORD> targetId{0};
    std::atomic<bool> firstReturned{false};
    DWORD rc = 0;
    DWORD msgRc = 0;
    std::thread worker([&] {
        target = RealCurrentThread();
        targetId = GetCurrentThreadId();
        rc = WaitForSingleObjectEx(event, 10000, TRUE);
        firstReturned = true;
        msgRc = MsgWaitForMultipleObjectsEx(1, &event, 10000, QS_ALLINPUT, MWMO_ALERTABLE);
    });
    while (targetId.load() == 0)
        std::this_thread::yield();
    // Each call is queued while the worker sleeps in one of its waits, the
    // second only after the first wait has returned: each wait has its own.
    EXPECT_TRUE(testsupport::WaitUntilAsleep(targetId)) << "the worker never blocked";
    EXPECT_NE(QueueUserAPC(RecordCall, target, 7), 0u);
    while (!firstReturned)
        std::this_thread::yield();
    EXPECT_TRUE(testsupport::WaitUntilAsleep(targetId)) << "the worker never blocked again";
    EXPECT_NE(QueueUserAPC(RecordCall, target, 8), 0u);
    worker.join();
    EXPECT_EQ(rc, WAIT_IO_COMPLETION);
    EXPECT_EQ(msgRc, WAIT_IO_COMPLETION);
    EXPECT_EQ(record.order, (std::vector<ULONG_PTR>{7, 8}));
    CloseHandle(target);
    CloseHandle(event);
}

TEST(Apc, SignaledObjectWinsOverQueuedCalls)
{
    Record record;
    g_record = &record;
    HANDLE event = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(QueueUserAPC(RecordCall, GetCurrentThread(), 3), 0u);
    EXPECT_EQ(WaitForSingleObjectEx(event, 0, TRUE), WAIT_OBJECT_0);
    EXPECT_EQ(record.calls, 0);
    EXPECT_EQ(SleepEx(0, TRUE), WAIT_IO_COMPLETION);
    EXPECT_EQ(record.calls, 1);
    EXPECT_EQ(SleepEx(0, TRUE), 0u) << "nothing left to run";
    CloseHandle(event);
}

TEST(Apc, ThreadOpenedByIdBeforeItWaitsGetsTheCall)
{
    Record record;
    g_record = &record;
    std::atomic<DWORD> id{0};
    std::atomic<bool> go{false};
    DWORD rc = 0;
    std::thread worker([&] {
        id = GetCurrentThreadId();  // uses nothing else of the thread services yet
        while (!go)
            std::this_thread::yield();
        rc = SleepEx(5000, TRUE);
    });
    while (id.load() == 0)
        std::this_thread::yield();
    HANDLE h = OpenThread(THREAD_SET_CONTEXT, FALSE, id);
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(GetThreadId(h), id.load());
    ASSERT_NE(QueueUserAPC(RecordCall, h, 9), 0u);
    go = true;
    worker.join();
    EXPECT_EQ(rc, WAIT_IO_COMPLETION);
    EXPECT_EQ(record.calls, 1);
    CloseHandle(h);
}

TEST(Apc, HandleOfAnEndedThreadRefusesCalls)
{
    Record record;
    g_record = &record;
    HANDLE h = nullptr;
    std::thread worker([&] { h = RealCurrentThread(); });
    worker.join();
    ASSERT_NE(h, nullptr);
    SetLastError(0);
    EXPECT_EQ(QueueUserAPC(RecordCall, h, 1), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(h);

    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(QueueUserAPC(RecordCall, event, 1), 0u) << "an event is no thread";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(WaitForSingleObject(GetCurrentThread(), 0), WAIT_FAILED) << "thread handles are not waitable";
    CloseHandle(event);
}
