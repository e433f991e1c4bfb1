#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/NamedMutex.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"
#include "tests/support/ThreadAsleep.h"

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

// Threads (at most 8) that wait on one event, each for a minute at most (a
// safety net), and count how their waits ended. They are all asleep in their
// waits when the constructor returns.
class Waiters {
public:
    Waiters(HANDLE event, int count)
    {
        for (int i = 0; i < count; ++i) {
            m_threads.emplace_back([this, event] {
                m_ids[m_started++] = GetCurrentThreadId();
                const DWORD rc = WaitForSingleObject(event, 60000);
                ++(rc == WAIT_OBJECT_0 ? m_woken : m_notWoken);
            });
        }
        for (int i = 0; i < count; ++i) {
            while (m_ids[i].load() == 0)
                std::this_thread::yield();
            EXPECT_TRUE(testsupport::WaitUntilAsleep(m_ids[i])) << "waiter " << i << " never blocked";
        }
    }
    Waiters(const Waiters&) = delete;
    Waiters& operator=(const Waiters&) = delete;
    ~Waiters() { Join(); }

    void Join()
    {
        for (auto& t : m_threads) {
            if (t.joinable())
                t.join();
        }
    }
    // Waits until n waits were met; false when they were not in time.
    bool WaitForWoken(int n) const
    {
        return testsupport::Eventually([&] { return m_woken.load() >= n; });
    }
    int Woken() const { return m_woken.load(); }
    int NotWoken() const { return m_notWoken.load(); }

private:
    std::atomic<int> m_started{0};
    std::atomic<DWORD> m_ids[8] = {};
    std::atomic<int> m_woken{0};
    std::atomic<int> m_notWoken{0};
    std::vector<std::thread> m_threads;
};

}  // namespace

TEST(Event, AutoResetWakesExactlyOneWaiterPerSet)
{
    Handle e(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    ASSERT_NE(e.h, nullptr);
    Waiters waiters(e.h, 4);
    // One set at a time, each once the one before was taken: a set that woke
    // several waiters would leave a later set with nobody to take it, and the
    // event signaled at the end.
    for (int n = 1; n <= 4; ++n) {
        SetEvent(e.h);
        EXPECT_TRUE(waiters.WaitForWoken(n)) << "set " << n << " woke nobody";
        EXPECT_EQ(waiters.Woken(), n) << "set " << n << " woke more than one waiter";
    }
    waiters.Join();
    EXPECT_EQ(waiters.NotWoken(), 0);
    EXPECT_EQ(WaitForSingleObject(e.h, 0), WAIT_TIMEOUT) << "a signal was left over";
}

TEST(Event, ManualResetWakesAllWaitersAndStaysSignaled)
{
    Handle e(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    ASSERT_NE(e.h, nullptr);
    Waiters waiters(e.h, 4);
    SetEvent(e.h);
    waiters.Join();
    EXPECT_EQ(waiters.Woken(), 4);
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
    EXPECT_EQ(WaitForSingleObject(e.h, 30), 258u);
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
    const DWORD self = GetCurrentThreadId();
    std::thread setter([&] {
        EXPECT_TRUE(testsupport::WaitUntilAsleep(self));
        SetEvent(b.h);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, hs, FALSE, 60000), WAIT_OBJECT_0 + 1);
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
    const DWORD self = GetCurrentThreadId();
    std::thread setter([&] {
        EXPECT_TRUE(testsupport::WaitUntilAsleep(self));
        SetEvent(manual.h);
    });
    EXPECT_EQ(WaitForMultipleObjects(2, hs, TRUE, 60000), WAIT_OBJECT_0);
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
