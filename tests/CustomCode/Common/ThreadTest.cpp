// Worker threads, waits, the worker queue and thread timers, with real threads.
#include "CustomCode/Common/cmSimpleExecQueue.h"
#include "CustomCode/Common/cmWaitForEvents.h"
#include "CustomCode/Common/cmsThread.h"
#include "CustomCode/Common/cmsTimer.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/Wait.h"
#include "tests/support/Eventually.h"
#include "tests/support/LogCapture.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace {

class FailingInit : public cmsThread {
public:
    std::atomic<int> bodies{0};

protected:
    bool Init() override { return false; }
    DWORD Body() override
    {
        ++bodies;
        return 0;
    }
};

class Waiter : public cmsThread {
public:
    std::atomic<int> turns{0};

protected:
    DWORD Body() override
    {
        // Waits on an event nobody sets, until asked to stop.
        HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        while (WaitForEvent(never, 20) == 258)
            ++turns;
        CloseHandle(never);
        return 7;
    }
};

class Collector : public cmSimpleExecQueue<int> {
public:
    // The worker calls this object's Process: it stops before the object goes.
    ~Collector() override { Stop(10000); }
    std::mutex lock;
    std::vector<int> seen;
    std::atomic<int> batches{0};

protected:
    void BeginBatch() override { ++batches; }
    void Process(int& item) override
    {
        std::lock_guard<std::mutex> g(lock);
        seen.push_back(item);
    }
};

class CountingTimer : public cmsTimer {
public:
    explicit CountingTimer(HANDLE hDone) : m_hDone(hDone) {}
    int ticks = 0;

protected:
    void OnTimer(HWND, UINT, UINT_PTR, DWORD) override
    {
        if (++ticks == 3)
            SetEvent(m_hDone);
    }

private:
    HANDLE m_hDone;
};

}  // namespace

TEST(Thread, AFailedInitEndsTheThreadWithoutItsBodyAndStopGivesUpAfterItsTime)
{
    // Sinks are added while no other thread logs.
    testsupport::LogCapture log;
    FailingInit t;
    EXPECT_EQ(t.Start(5000), S_OK);
    ASSERT_TRUE(testsupport::Eventually([&] { return t.GetExitCode() == cmsThread::kInitFailedCode; }));
    EXPECT_EQ(t.bodies, 0);
    EXPECT_NE(t.GetThreadId(), 0u) << "it still counts as running";

    // No end comes to wait for: the wait runs out and says so.
    t.Stop(300);
    EXPECT_TRUE(log.Contains("cmsThread:: Thread did not shut down!\n"));
    // The thread's last line comes after its code: the test ends (and the
    // capture goes) only after it.
    EXPECT_TRUE(
        testsupport::Eventually([&] { return log.Contains("cmsThread: Terminating with return code 0x55555555.\n"); }));
}

TEST(Thread, StopOfAThreadNeverStartedReturnsAtOnce)
{
    testsupport::LogCapture log;
    Waiter t;
    t.Stop(5000);
    // It did not wait: a wait for an end that never comes runs out and says so.
    EXPECT_FALSE(log.Contains("cmsThread:: Thread did not shut down!\n"));
    EXPECT_TRUE(log.Lines().empty()) << log.Lines().front();
}

TEST(Thread, ABodyNoticesTheStopAndItsCodeIsKept)
{
    testsupport::LogCapture log;
    Waiter t;
    ASSERT_EQ(t.Start(5000), S_OK);
    ASSERT_TRUE(testsupport::Eventually([&] { return t.turns.load() >= 2; }));
    // The minute is a safety net: Stop returns when the body has ended.
    t.Stop(60000);
    EXPECT_FALSE(log.Contains("cmsThread:: Thread did not shut down!\n")) << "the body did not notice the stop";
    EXPECT_EQ(t.GetExitCode(), 7u);
    EXPECT_EQ(t.GetThreadId(), 0u);
    EXPECT_TRUE(log.Contains("cmsThread: Starting initialization.\n"));
    EXPECT_TRUE(log.Contains("cmsThread: Init completed with :true.\n"));
    // The last line comes after the thread signalled its end.
    EXPECT_TRUE(
        testsupport::Eventually([&] { return log.Contains("cmsThread: Terminating with return code 0x7.\n"); }));
}

TEST(WaitForEvents, AHandleListedTwiceIsWaitedOnOnce)
{
    HANDLE h = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    HANDLE other = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    // More entries than one wait may take, but only two different handles.
    std::vector<HANDLE> list;
    list.reserve(MAXIMUM_WAIT_OBJECTS + 1);
    list.assign(MAXIMUM_WAIT_OBJECTS, h);
    list.insert(list.begin(), other);
    cmWaitForEvents wait;
    EXPECT_EQ(wait.Wait(list, 1000, false), h);
    EXPECT_EQ(wait.Wait(list, 50, false), cmWaitForEvents::TimedOut()) << "the auto-reset signal was taken once";
    EXPECT_EQ(wait.Wait({}, 0, false), nullptr);
    SetEvent(other);
    EXPECT_EQ(wait.WaitOne(other, 0, true), 0);
    EXPECT_EQ(wait.WaitOne(other, 30, true), 258);
    CloseHandle(h);
    CloseHandle(other);
}

TEST(ExecQueue, ItemsAreProcessedInOrderOnTheWorker)
{
    // The worker's last line comes after the queue has stopped it: the test
    // ends only after that line, so that no thread of it logs into the next.
    testsupport::LogCapture log;
    {
        Collector q;
        for (int i = 0; i < 200; ++i)
            q.Enqueue(i);
        ASSERT_TRUE(testsupport::Eventually([&] {
            std::lock_guard<std::mutex> g(q.lock);
            return q.seen.size() == 200;
        }));
        std::lock_guard<std::mutex> g(q.lock);
        for (int i = 0; i < 200; ++i)
            ASSERT_EQ(q.seen[static_cast<std::size_t>(i)], i);
        EXPECT_GE(q.batches, 1);
    }
    EXPECT_TRUE(
        testsupport::Eventually([&] { return log.Contains("cmsThread: Terminating with return code 0x0.\n"); }));
}

TEST(Timer, TicksArriveThroughAPumpingWaitAndStop)
{
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CountingTimer timer(done);
    ASSERT_TRUE(timer.StartTimer(10));
    EXPECT_NE(timer.GetTimerId(), 0u);
    cmWaitForEvents wait;
    EXPECT_EQ(wait.WaitOne(done, 5000, true), 0);
    EXPECT_GE(timer.ticks, 3);
    timer.StopTimer();
    EXPECT_EQ(timer.GetTimerId(), 0u);
    const int ticks = timer.ticks;
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(wait.WaitOne(never, 60, true), 258);
    EXPECT_EQ(timer.ticks, ticks) << "a stopped timer does not tick";
    CloseHandle(never);
    CloseHandle(done);
}
