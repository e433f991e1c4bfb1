#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/NamedMutex.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

struct Handle {
    HANDLE h;
    explicit Handle(HANDLE v) : h(v) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle()
    {
        if (h != nullptr)
            CloseHandle(h);
    }
};

// Runs count waiters on the event, each with the given time-out; returns how
// many of them saw the event. The event is set (set times) once all waiters
// have started.
int WaitersWoken(HANDLE event, int count, int sets, DWORD timeoutMs)
{
    std::atomic<int> started{0};
    std::atomic<int> woken{0};
    std::atomic<int> timedOut{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&] {
            ++started;
            const DWORD rc = WaitForSingleObject(event, timeoutMs);
            if (rc == WAIT_OBJECT_0)
                ++woken;
            else if (rc == WAIT_TIMEOUT)
                ++timedOut;
        });
    }
    while (started.load() < count)
        std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    for (int i = 0; i < sets; ++i)
        SetEvent(event);
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(woken + timedOut, count) << "a wait failed";
    return woken.load();
}

}  // namespace

TEST(Event, AutoResetWakesExactlyOneWaiterPerSet)
{
    Handle e(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_NE(e.h, nullptr);
    EXPECT_EQ(WaitersWoken(e.h, 4, 1, 700), 1);
    // The waiter took the signal: the event is not signaled any more.
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_TIMEOUT);
}

TEST(Event, ManualResetWakesAllWaitersAndStaysSignaled)
{
    Handle e(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_NE(e.h, nullptr);
    EXPECT_EQ(WaitersWoken(e.h, 4, 1, 5000), 4);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_OBJECT_0) << "a wait does not reset a manual event";
    ASSERT_TRUE(ResetEvent(e.h));
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_TIMEOUT);
}

TEST(Event, InitialStateAndSetWhileNobodyWaits)
{
    Handle on(CreateEventA(nullptr, FALSE, TRUE, nullptr));
    EXPECT_EQ(WaitForSingleObject(on.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(on.h, 0), WAIT_TIMEOUT);
    // Two sets with nobody waiting still release only one wait.
    SetEvent(on.h);
    SetEvent(on.h);
    EXPECT_EQ(WaitForSingleObject(on.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(on.h, 0), WAIT_TIMEOUT);
}

TEST(Event, WaitTimesOutWithCode258)
{
    Handle e(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(e.h, 30), 258u);
    // It waited at least the time it was given (it must not return early).
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
    EXPECT_EQ(WaitForMultipleObjects(1, &e.h, FALSE, 0), WAIT_TIMEOUT);
}

TEST(Event, WaitAnyGivesTheLowestSignaledIndex)
{
    Handle a(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Handle b(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    Handle c(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    HANDLE hs[] = {a.h, b.h, c.h};
    EXPECT_EQ(WaitForMultipleObjects(3, hs, FALSE, 0), WAIT_OBJECT_0 + 1);
    SetEvent(a.h);
    EXPECT_EQ(WaitForMultipleObjects(3, hs, FALSE, 0), WAIT_OBJECT_0);
}

TEST(Event, WaitAnyWakesForAnEventSetByAnotherThread)
{
    Handle a(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    Handle b(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    HANDLE hs[] = {a.h, b.h};
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(b.h);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, hs, FALSE, 5000), WAIT_OBJECT_0 + 1);
    setter.join();
}

TEST(Event, WaitAllNeedsEveryObjectAndTakesThemTogether)
{
    Handle manual(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    Handle automatic(CreateEventA(nullptr, FALSE, TRUE, nullptr));
    HANDLE hs[] = {manual.h, automatic.h};
    EXPECT_EQ(WaitForMultipleObjects(2, hs, TRUE, 20), WAIT_TIMEOUT);
    // The failed wait-all left the automatic event's signal in place.
    EXPECT_EQ(WaitForSingleObject(automatic.h, 0), WAIT_OBJECT_0);

    SetEvent(automatic.h);
    std::thread setter([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(manual.h);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, hs, TRUE, 5000), WAIT_OBJECT_0);
    setter.join();
    EXPECT_EQ(WaitForSingleObject(automatic.h, 0), WAIT_TIMEOUT) << "wait-all took the automatic signal";
    EXPECT_EQ(WaitForSingleObject(manual.h, 0), WAIT_OBJECT_0);
}

TEST(Event, BadWaitsFailWithTheirErrors)
{
    Handle e(CreateEventA(nullptr, TRUE, TRUE, nullptr));
    SetLastError(0);
    HANDLE bogus = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x1234));
    EXPECT_EQ(WaitForSingleObject(bogus, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    HANDLE twice[] = {e.h, e.h};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(WaitForMultipleObjects(2, twice, FALSE, 0), WAIT_OBJECT_0) << "duplicates are fine for wait-any";

    EXPECT_EQ(WaitForMultipleObjects(0, twice, FALSE, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    std::vector<HANDLE> many(MAXIMUM_WAIT_OBJECTS + 1, e.h);
    EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(many.size()), many.data(), FALSE, 0), WAIT_FAILED);

    // A named mutex is not waitable on this platform.
    Handle m(CreateMutexA(nullptr, FALSE, "not-waitable"));
    ASSERT_NE(m.h, nullptr);
    EXPECT_EQ(WaitForSingleObject(m.h, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);

    EXPECT_FALSE(SetEvent(m.h));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
}

TEST(Event, NamedEventsAreSharedInTheProcess)
{
    Handle first(CreateEventA(nullptr, TRUE, FALSE, "Local\\shared-event"));
    ASSERT_NE(first.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    Handle second(CreateEventA(nullptr, FALSE, TRUE, "shared-event"));
    ASSERT_NE(second.h, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
    // Same event: the second creation kept the first one's policy and state.
    EXPECT_EQ(WaitForSingleObject(second.h, 0), WAIT_TIMEOUT);
    SetEvent(second.h);
    EXPECT_EQ(WaitForSingleObject(first.h, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(first.h, 0), WAIT_OBJECT_0) << "still manual reset";

    Handle opened(OpenEventA(EVENT_ALL_ACCESS, FALSE, "shared-event"));
    EXPECT_NE(opened.h, nullptr);

    EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "no-such-event"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST(Event, NameGoesWithTheLastHandle)
{
    {
        Handle e(CreateEventA(nullptr, TRUE, TRUE, "short-lived"));
        ASSERT_NE(e.h, nullptr);
    }
    Handle again(CreateEventA(nullptr, TRUE, FALSE, "short-lived"));
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_EQ(WaitForSingleObject(again.h, 0), WAIT_TIMEOUT);
}

TEST(Event, DuplicatedHandleNamesTheSameEvent)
{
    Handle e(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), e.h, GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS));
    Handle dup(copy);
    SetEvent(dup.h);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_OBJECT_0);
    // The copy lives on after the original handle is closed.
    CloseHandle(e.h);
    e.h = nullptr;
    SetEvent(dup.h);
    EXPECT_EQ(WaitForSingleObject(dup.h, 0), WAIT_OBJECT_0);
}

TEST(Event, ManyThreadsSettingAndTakingLoseNoSignal)
{
    // Producers set an automatic event once per item; consumers take items
    // under the event. Every item must be taken: a lost wake-up hangs a
    // consumer until its time-out and leaves items behind.
    Handle e(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    std::atomic<int> items{0};
    std::atomic<int> taken{0};
    constexpr int kItems = 2000;
    std::thread producer([&] {
        for (int i = 0; i < kItems; ++i) {
            ++items;
            SetEvent(e.h);
        }
    });
    auto consume = [&] {
        while (taken.load() < kItems) {
            if (WaitForSingleObject(e.h, 200) != WAIT_OBJECT_0)
                continue;
            int have = items.load();
            while (have > 0 && !items.compare_exchange_weak(have, have - 1)) {
            }
            if (have > 0)
                ++taken;
            if (items.load() > 0)
                SetEvent(e.h);  // more left than one signal says: pass it on
        }
    };
    std::thread c1(consume);
    std::thread c2(consume);
    producer.join();
    c1.join();
    c2.join();
    EXPECT_EQ(taken.load(), kItems);
}
