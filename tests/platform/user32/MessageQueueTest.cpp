#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/WinUser.h"
#include "tests/support/ThreadAsleep.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

std::vector<UINT> Drain(HWND filter, UINT min, UINT max)
{
    std::vector<UINT> got;
    MSG m{};
    while (PeekMessageA(&m, filter, min, max, PM_REMOVE))
        got.push_back(m.message);
    return got;
}

// A thread that makes its queue, tells its id, and then runs fn.
class QueueThread {
public:
    template <class F>
    explicit QueueThread(F fn)
        : m_thread([this, fn] {
              MSG m{};
              PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);  // makes the queue
              m_id = GetCurrentThreadId();
              fn();
          })
    {
        while (m_id.load() == 0)
            std::this_thread::yield();
    }
    ~QueueThread()
    {
        if (m_thread.joinable())
            m_thread.join();
    }
    DWORD Id() const { return m_id; }
    void Join() { m_thread.join(); }

private:
    std::atomic<DWORD> m_id{0};
    std::thread m_thread;
};

}  // namespace

TEST(MessageQueue, PostedMessagesComeInOrderAndFiltersPickByRange)
{
    const DWORD self = GetCurrentThreadId();
    for (UINT msg : {WM_USER + 1, WM_USER + 5, WM_USER + 2, WM_USER + 9, WM_USER + 3})
        ASSERT_TRUE(PostThreadMessageA(self, msg, msg * 10, -static_cast<LPARAM>(msg)));

    MSG m{};
    // PM_NOREMOVE looks without taking.
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 1);
    EXPECT_EQ(m.wParam, (WM_USER + 1) * 10u);
    EXPECT_EQ(m.lParam, -static_cast<LPARAM>(WM_USER + 1));
    EXPECT_EQ(m.hwnd, nullptr);
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(m.message, WM_USER + 1);

    // A range takes only its messages, in posting order, and leaves the rest.
    EXPECT_EQ(Drain(nullptr, WM_USER + 2, WM_USER + 5), (std::vector<UINT>{WM_USER + 5, WM_USER + 2, WM_USER + 3}));
    // Thread messages pass the "thread messages only" filter.
    EXPECT_EQ(Drain(reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)), 0, 0),
              (std::vector<UINT>{WM_USER + 1, WM_USER + 9}));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, GetMessageReturnsZeroForQuitAfterThePostedMessages)
{
    PostQuitMessage(17);
    PostThreadMessageA(GetCurrentThreadId(), WM_USER, 1, 2);
    MSG m{};
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 1);
    EXPECT_EQ(m.message, WM_USER);
    EXPECT_EQ(GetMessageA(&m, nullptr, 0, 0), 0);
    EXPECT_EQ(m.message, WM_QUIT);
    EXPECT_EQ(m.wParam, 17u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "WM_QUIT is taken once";
}

TEST(MessageQueue, PostingToAThreadWithoutAQueueFails)
{
    std::atomic<DWORD> id{0};
    std::atomic<bool> done{false};
    std::thread plain([&] {
        id = GetCurrentThreadId();
        while (!done)
            std::this_thread::yield();
    });
    while (id.load() == 0)
        std::this_thread::yield();
    SetLastError(0);
    EXPECT_FALSE(PostThreadMessageA(id, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
    done = true;
    plain.join();

    EXPECT_FALSE(PostThreadMessageA(0x7FFFFFF0, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}

TEST(MessageQueue, PostsFromAnotherThreadWakeGetMessageInOrder)
{
    std::vector<MSG> got;
    QueueThread receiver([&] {
        MSG m{};
        while (GetMessageA(&m, nullptr, 0, 0) > 0)
            got.push_back(m);
    });
    for (WPARAM i = 0; i < 100; ++i)
        ASSERT_TRUE(PostThreadMessageA(receiver.Id(), WM_APP, i, static_cast<LPARAM>(i * 2)));
    ASSERT_TRUE(PostThreadMessageA(receiver.Id(), WM_QUIT, 0, 0));
    receiver.Join();
    ASSERT_EQ(got.size(), 100u);
    for (WPARAM i = 0; i < 100; ++i) {
        EXPECT_EQ(got[i].message, WM_APP);
        EXPECT_EQ(got[i].wParam, i);
        EXPECT_EQ(got[i].lParam, static_cast<LPARAM>(i * 2));
    }
}

TEST(MessageQueue, FilteredGetMessageWaitsForAMatchAndLeavesTheRest)
{
    std::atomic<bool> ready{false};
    MSG taken{};
    int rc = -2;
    std::vector<UINT> rest;
    QueueThread receiver([&] {
        ready = true;
        rc = GetMessageA(&taken, nullptr, WM_USER + 50, WM_USER + 60);
        rest = Drain(nullptr, 0, 0);
    });
    while (!ready)
        std::this_thread::yield();
    // Each message comes while the receiver sleeps in its filtered wait.
    EXPECT_TRUE(testsupport::WaitUntilAsleep(receiver.Id()));
    PostThreadMessageA(receiver.Id(), WM_USER + 1, 0, 0);
    EXPECT_TRUE(testsupport::WaitUntilAsleep(receiver.Id()));
    PostThreadMessageA(receiver.Id(), WM_USER + 55, 0, 0);
    receiver.Join();
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(taken.message, WM_USER + 55);
    EXPECT_EQ(rest, (std::vector<UINT>{WM_USER + 1}));
}

TEST(MessageQueue, MsgWaitReturnsCountForInputAndIndexForObjects)
{
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::atomic<DWORD> results[3] = {};
    std::atomic<bool> firstReturned{false};
    QueueThread receiver([&] {
        results[0] = MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT);
        firstReturned = true;
        MSG m{};
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        }
        results[1] = MsgWaitForMultipleObjects(1, &event, FALSE, 5000, QS_ALLINPUT);
        results[2] = MsgWaitForMultipleObjects(1, &event, FALSE, 20, QS_ALLINPUT);
    });
    // The message wakes the first wait; the event is set only after that wait
    // returned, so that each wait has one cause.
    EXPECT_TRUE(testsupport::WaitUntilAsleep(receiver.Id()));
    PostThreadMessageA(receiver.Id(), WM_USER, 0, 0);
    while (!firstReturned)
        std::this_thread::yield();
    EXPECT_TRUE(testsupport::WaitUntilAsleep(receiver.Id()));
    SetEvent(event);
    receiver.Join();
    EXPECT_EQ(results[0].load(), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(results[1].load(), WAIT_OBJECT_0);
    EXPECT_EQ(results[2].load(), WAIT_TIMEOUT);
    CloseHandle(event);
}

TEST(MessageQueue, MsgWaitSeesMessagesAlreadyWaiting)
{
    PostThreadMessageA(GetCurrentThreadId(), WM_USER, 0, 0);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE));
    // The message was seen but left: the wait must not sleep over it.
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 2000, QS_POSTMESSAGE), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_TIMER), WAIT_TIMEOUT) << "mask without posts";
    EXPECT_NE(GetQueueStatus(QS_ALLINPUT) & QS_POSTMESSAGE, 0u);
    Drain(nullptr, 0, 0);
    EXPECT_EQ(GetQueueStatus(QS_ALLINPUT), 0u);
}

TEST(MessageQueue, FullQueueRefusesMorePosts)
{
    const DWORD self = GetCurrentThreadId();
    for (std::size_t i = 0; i < kPostedMessageLimit; ++i)
        ASSERT_TRUE(PostThreadMessageA(self, WM_USER, i, 0));
    EXPECT_FALSE(PostThreadMessageA(self, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
    MSG m{};
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.wParam, 0u);
    EXPECT_TRUE(PostThreadMessageA(self, WM_USER, 0, 0)) << "room again after one was taken";
}

TEST(MessageQueue, PostingToAnEndedThreadFails)
{
    DWORD id = 0;
    {
        QueueThread gone([] {});
        id = gone.Id();
    }
    EXPECT_FALSE(PostThreadMessageA(id, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_THREAD_ID);
}
