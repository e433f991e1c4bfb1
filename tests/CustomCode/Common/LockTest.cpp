// The reader/writer lock with real threads.
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmReaderWriterLock.h"
#include "platform/kernel32/ProcessIds.h"
#include "tests/support/Eventually.h"
#include "tests/support/LogCapture.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

}  // namespace

TEST(ReaderWriterLock, ASoleReaderUpgradesAndItsReleasesLeaveNoRecord)
{
    cmReaderWriterLock lock;
    {
        cmLockToken a = lock.LockShared();
        cmLockToken b = lock.LockShared();
        cmLockToken c = lock.LockExclusive();
        EXPECT_TRUE(a.IsHeld() && b.IsHeld() && c.IsHeld());
        EXPECT_TRUE(c.IsExclusive());
        EXPECT_EQ(cmLock::RecordCount(lock.GetCore()), 1u);
        EXPECT_EQ(lock.GetCore()->dwOwner, GetCurrentThreadId());
        cmLockToken copy = c;  // copies share one hold
    }
    EXPECT_EQ(cmLock::RecordCount(lock.GetCore()), 0u);
    EXPECT_EQ(lock.GetCore()->dwOwner, 0u);
}

TEST(ReaderWriterLock, ReadersOvertakeAWaitingWriterWhoWakesAfterTheLastReader)
{
    cmReaderWriterLock lock;
    cmLockToken a = lock.LockShared();

    std::atomic<bool> writerHas{false};
    std::thread writer([&] {
        cmLockToken t = lock.LockExclusive();
        writerHas = t.IsHeld();
    });
    ASSERT_TRUE(testsupport::Eventually([&] { return cmLock::WaiterCount(lock.GetCore()) == 1; }));

    std::atomic<bool> readerHas{false}, readerMayGo{false};
    std::thread reader([&] {
        cmLockToken t = lock.LockShared();
        readerHas = t.IsHeld();
        while (!readerMayGo)
            std::this_thread::sleep_for(5ms);
    });
    EXPECT_TRUE(testsupport::Eventually([&] { return readerHas.load(); }))
        << "a reader is admitted while a writer waits";

    a.Release();
    std::this_thread::sleep_for(100ms);
    EXPECT_FALSE(writerHas) << "the second reader still holds the lock";
    readerMayGo = true;
    reader.join();
    writer.join();
    EXPECT_TRUE(writerHas);
    EXPECT_EQ(cmLock::RecordCount(lock.GetCore()), 0u);
}

TEST(ReaderWriterLock, DestroyingTheLockFailsItsSleepers)
{
    auto lock = std::make_unique<cmReaderWriterLock>();
    cmLockToken held = lock->LockExclusive();
    std::atomic<int> failed{0};
    auto sleeper = [&](bool exclusive) {
        cmLockToken t = exclusive ? lock->LockExclusive() : lock->LockShared();
        if (!t.IsHeld())
            ++failed;
    };
    std::thread s1(sleeper, true), s2(sleeper, false);
    ASSERT_TRUE(testsupport::Eventually([&] { return cmLock::WaiterCount(lock->GetCore()) == 2; }));
    lock.reset();
    s1.join();
    s2.join();
    EXPECT_EQ(failed, 2);
    held.Release();  // the lock is gone: nothing left to release
}

TEST(ReaderWriterLock, AfterTakeDownAcquisitionsAreEmptyAndSilent)
{
    cmReaderWriterLock lock;
    EXPECT_EQ(lock.TakeDown(), S_OK);
    EXPECT_EQ(lock.TakeDown(), E_UNEXPECTED);
    cmDebugFlags<CM_DEBUG_ID_CMLOCK>() = 0x1F;
    testsupport::LogCapture log;
    EXPECT_FALSE(lock.LockShared().IsHeld());
    EXPECT_FALSE(lock.LockExclusive().IsHeld());
    cmDebugFlags<CM_DEBUG_ID_CMLOCK>() = 0;
    EXPECT_TRUE(log.Lines().empty()) << log.Lines().front();
}

TEST(ReaderWriterLock, AnUnbalancedReleaseIsRefusedAndTheLockStaysUsable)
{
    cmReaderWriterLock lock;
    const cmLockAcquisition shared{lock.GetCore(), cmLockKind::Shared};
    EXPECT_FALSE(cmLock::R0_LockUnlockOnBehalfOf(shared, GetCurrentThreadId())) << "no record at all";
    {
        cmLockToken x = lock.LockExclusive();
        EXPECT_FALSE(cmLock::R0_LockUnlockOnBehalfOf(shared, GetCurrentThreadId())) << "holds no shared lock";
        EXPECT_EQ(lock.GetCore()->dwOwner, GetCurrentThreadId()) << "the exclusive hold is untouched";
    }
    EXPECT_EQ(cmLock::RecordCount(lock.GetCore()), 0u);
    EXPECT_TRUE(lock.LockExclusive().IsHeld());
}

TEST(ReaderWriterLock, TheLockLinesFollowTheFlags)
{
    cmReaderWriterLock lock;
    cmDebugFlags<CM_DEBUG_ID_CMLOCK>() = CM_DEBUG_WARNING | CM_DEBUG_RETURN;
    testsupport::LogCapture log;
    {
        cmLockToken t = lock.LockExclusive();
    }
    cmDebugFlags<CM_DEBUG_ID_CMLOCK>() = 0;
    EXPECT_TRUE(log.Contains("cmLock::R0_LockAcquireExclusive: Nobody owns thread!\n\n"));
    EXPECT_TRUE(log.Contains("cmLock::R0_LockAcquireExclusive: Exclusive lock thread ID: %\n\n"));
    EXPECT_TRUE(log.Contains("cmLock::R0_LockUnlockOnBehalfOf: Returning true as 0x1\n"));
}

TEST(ReaderWriterLock, ManyThreadsMixingModesNeverMeetAWriter)
{
    constexpr int kThreads = 6, kRounds = 3000;
    cmReaderWriterLock lock;
    int inside = 0;          // writers inside, changed only under the exclusive hold
    long long total = 0;     // written only under the exclusive hold
    std::atomic<int> readers{0};
    std::atomic<int> violations{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < kRounds; ++i) {
                if ((i + t) % 3 == 0) {
                    // A reader that nests a second read.
                    cmLockToken r = lock.LockShared();
                    ++readers;
                    if (inside != 0)
                        ++violations;
                    cmLockToken again = lock.LockShared();
                    --readers;
                } else {
                    cmLockToken w = lock.LockExclusive();
                    cmLockToken nested = lock.LockShared();  // the owner may read too
                    if (readers.load() != 0 || inside != 0)
                        ++violations;
                    ++inside;
                    ++total;
                    --inside;
                }
            }
        });
    }
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(violations, 0);
    long long writes = 0;
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kRounds; ++i)
            writes += ((i + t) % 3 != 0);
    EXPECT_EQ(total, writes);
    EXPECT_EQ(cmLock::RecordCount(lock.GetCore()), 0u);
    EXPECT_EQ(cmLock::WaiterCount(lock.GetCore()), 0u);
}

TEST(ReaderWriterLock, ALockDestroyedWhileHeldIsFreedByItsLastRelease)
{
    const std::size_t cores = cmLock::CoreCount();
    auto lock = std::make_unique<cmReaderWriterLock>();
    cmLockToken held = lock->LockShared();
    cmLockToken copy = held;
    lock.reset();
    EXPECT_EQ(cmLock::CoreCount(), cores) << "the lock left the list of locks";
    copy.Release();
    held.Release();  // frees the core: LeakSanitizer and ASan see to the rest
}
