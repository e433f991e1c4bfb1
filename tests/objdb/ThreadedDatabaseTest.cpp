// The object database with real threads: changes made on several threads
// reach listeners on the main thread only, through the database's timer
// while the main thread pumps, each object's changes in the order they were
// made; registration from other threads; scrubs racing with additions.
#include "CustomCode/Common/cmWaitForEvents.h"
#include "objdb/pjObjectDatabaseImpl.h"
#include "objdb/pjObjectScrubber.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "tests/objdb/ObjdbTestSupport.h"

#include <gtest/gtest.h>
#include <map>
#include <thread>

using namespace objdbtest;

namespace {

constexpr DWORD kValue = 0x1;
constexpr DWORD kSafetyNetMs = 60000;

// Collects the values written to each object and signals when it has heard
// as many changes as expected.
class ValueLog : public pjObjectEvents {
public:
    explicit ValueLog(int expected)
        : m_thread(GetCurrentThreadId()), m_expected(expected), m_hDone(CreateEventA(nullptr, TRUE, FALSE, nullptr))
    {
    }
    ~ValueLog() override { CloseHandle(m_hDone); }

    void OnChangedProperty(pjObject* o, DWORD, const VARIANT& v) override
    {
        if (GetCurrentThreadId() != m_thread)
            ++offThread;
        values[o].push_back(v.lVal);
        if (++m_heard == m_expected)
            SetEvent(m_hDone);
    }
    // Pumps the main thread's messages (so the database's timer runs) until
    // every change was heard.
    bool PumpUntilAllHeard()
    {
        cmWaitForEvents wait;
        return wait.WaitOne(m_hDone, kSafetyNetMs, true) == 0;
    }

    std::map<pjObject*, std::vector<LONG>> values;  // main thread only
    int offThread = 0;

private:
    const DWORD m_thread;
    const int m_expected;
    int m_heard = 0;
    HANDLE m_hDone;
};

}  // namespace

TEST(ObjectDatabaseThreads, WritesOnSeveralThreadsReachTheMainThreadInOrder)
{
    constexpr int kWriters = 4, kWrites = 500;
    pjObjectDatabase* db = GetObjectDatabase();
    std::vector<cmRefPtr<Obj>> own;
    for (int i = 0; i < kWriters; ++i) {
        own.push_back(MakeObj());
        AddI4(own.back().Get(), kValue, 0);
    }
    auto shared = MakeObj();
    AddI4(shared.Get(), kValue, 0);

    ValueLog log(2 * kWriters * kWrites);
    for (auto& o : own)
        db->xRegisterForObjectChangeEvents(&log, o.Get());
    db->xRegisterForObjectChangeEvents(&log, shared.Get());

    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&, w] {
            for (int i = 1; i <= kWrites; ++i) {
                // On the shared object each writer's values carry its number.
                pjObjectImpl::SetProperty(shared.Get(), kValue, Var(w * 100000 + i));
                pjObjectImpl::SetProperty(own[w].Get(), kValue, Var(i));
                Var read;
                pjObjectImpl::GetProperty(shared.Get(), kValue, &read);
            }
        });
    }
    for (auto& t : writers)
        t.join();
    const bool allHeard = log.PumpUntilAllHeard();
    for (auto& o : own)
        db->UnregisterForObjectChangeEvents(&log, o.Get());
    db->UnregisterForObjectChangeEvents(&log, shared.Get());
    ASSERT_TRUE(allHeard) << "not every change arrived within " << kSafetyNetMs << " ms of pumping";

    EXPECT_EQ(log.offThread, 0) << "listeners run on the main thread only";
    std::vector<LONG> expected(kWrites);
    for (int i = 0; i < kWrites; ++i)
        expected[i] = i + 1;
    for (auto& o : own)
        EXPECT_EQ(log.values[o.Get()], expected) << "one writer's object: every value, in order";

    // The shared object: each writer's values in its order, and the last one heard is the one stored.
    const std::vector<LONG>& mixed = log.values[shared.Get()];
    ASSERT_EQ(mixed.size(), static_cast<std::size_t>(kWriters * kWrites));
    std::vector<LONG> lastOf(kWriters, 0);
    for (LONG v : mixed) {
        const int w = v / 100000;
        EXPECT_EQ(v % 100000, lastOf[w] + 1);
        lastOf[w] = v % 100000;
    }
    EXPECT_EQ(ReadI4(shared.Get(), kValue), mixed.back());
}

TEST(ObjectDatabaseThreads, RegistrationFromAnotherThreadReplaysOnTheMainThread)
{
    pjObjectDatabaseImpl db;
    Factory kind("Replayed");
    auto a = MakeObj(&kind), b = MakeObj(&kind);
    db.AddNewObject(a.Get(), nullptr);
    db.AddNewObject(b.Get(), nullptr);
    Recorder heard;  // made on the main thread: that is where it must hear
    std::thread([&] { db.RegisterForObjectChangeEvents(&heard, "Replayed"); }).join();
    EXPECT_TRUE(heard.Events().empty()) << "the replay waits for the main thread";
    EXPECT_TRUE(db.ServicePJAPC(0xFFFFFFFFu));
    EXPECT_EQ(heard.Events(), (std::vector<std::string>{"add " + Recorder::Serial(a.Get()),
                                                        "add " + Recorder::Serial(b.Get()), "replayed"}));
    EXPECT_EQ(heard.OffThread(), 0);
    db.UnregisterForObjectChangeEvents(&heard, "Replayed");
}

TEST(ObjectDatabaseThreads, AChangeStillQueuedGoesNowhereOnceItsListenerUnregistered)
{
    pjObjectDatabaseImpl db;
    auto o = MakeObj();
    Recorder gone, stays;
    db.xRegisterForObjectChangeEvents(&gone, o.Get());
    db.xRegisterForObjectChangeEvents(&stays, o.Get());
    std::thread([&] { db.NotifyObjectChange(o.Get(), PJ_CHANGE_PROPERTY, 1, Var(5)); }).join();
    db.UnregisterForObjectChangeEvents(&gone, o.Get());
    EXPECT_TRUE(db.ServicePJAPC(0xFFFFFFFFu));
    EXPECT_TRUE(gone.Events().empty());
    EXPECT_EQ(stays.Events(), (std::vector<std::string>{"prop " + Recorder::Serial(o.Get()) + " 1 5"}));
    db.UnregisterForObjectChangeEvents(&stays, o.Get());
}

TEST(ObjectDatabaseThreads, AdditionsRegistrationsAndScrubsRaceSafely)
{
    constexpr int kObjects = 300;
    const int aliveBefore = Obj::s_alive;
    {
        pjObjectDatabaseImpl db;
        Factory kind("Raced");
        std::atomic<bool> adding{true};
        std::thread adder([&] {
            for (int i = 0; i < kObjects; ++i) {
                auto o = MakeObj(&kind);
                AddI4(o.Get(), kValue, i);
                if (i % 2 == 0)
                    o->MarkForRemoval();
                db.AddNewObject(o.Get(), nullptr);
                pjObjectImpl::SetProperty(o.Get(), kValue, Var(i + 1));
            }
            adding = false;
        });
        std::thread registrar([&] {
            while (adding) {
                Recorder r;
                db.RegisterForObjectChangeEvents(&r, "Raced");
                db.UnregisterForObjectChangeEvents(&r, "Raced");
            }
        });
        std::thread scrubber([&] {
            for (DWORD tag = 0; adding; ++tag) {
                db.ReleaseMemory(tag, 0, (tag % 2) == 0);
                pjObjectRef found;
                db.GetObjectByTimestamp(tag, found);
            }
        });
        adder.join();
        registrar.join();
        scrubber.join();
        // Queued replays name listeners that are gone: unregistered first, so none is called.
        db.ServicePJAPC(0xFFFFFFFFu);
        db.ReleaseMemory(0xFFFF, 0, true);
        pjObjectList left;
        db.GetObjectsOfType(cmString("Raced"), left);
        EXPECT_EQ(left.size(), static_cast<std::size_t>(kObjects / 2)) << "every marked object is gone";
        for (const pjObjectRef& o : left)
            EXPECT_EQ(ReadI4(o.Get(), kValue) % 2, 0) << "only unmarked ones (odd i, value i + 1) stay";
    }
    EXPECT_EQ(Obj::s_alive, aliveBefore);
}
