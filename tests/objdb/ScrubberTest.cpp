// The scrubber: which marked objects go, which are asked to let go, and the
// rule that drops a request repeating the last tag within 2500 ms.
#include "objdb/pjObjectDatabaseImpl.h"
#include "objdb/pjObjectScrubber.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/ThreadPriority.h"
#include "platform/kernel32/Wait.h"
#include "tests/objdb/ObjdbTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace objdbtest;

TEST(Scrubber, MarkedObjectsGoWhenOnlyTheDatabaseHoldsThemAndAreAskedOtherwise)
{
    pjObjectDatabaseImpl db;
    Factory owner("Kind");
    const int aliveBefore = Obj::s_alive;
    auto alone = MakeObj(&owner), held = MakeObj(&owner), onHold = MakeObj(&owner), unmarked = MakeObj(&owner);
    for (Obj* o : {alone.Get(), held.Get(), onHold.Get(), unmarked.Get()})
        db.AddNewObject(o, nullptr);
    alone->MarkForRemoval();
    held->MarkForRemoval();
    onHold->MarkForRemoval();
    onHold->Hold();
    pjObject* const aloneRaw = alone.Get();
    alone.Reset();

    db.ReleaseMemory(7, 0, true);
    EXPECT_EQ(Obj::s_alive, aliveBefore + 3) << "the marked object only the database held is gone";
    pjObjectRef found;
    EXPECT_EQ(db.GetObjectByTimestamp(1, found), E_INVALIDARG);
    pjObjectList kind;
    db.GetObjectsOfType(cmString("Kind"), kind);
    EXPECT_EQ(kind.size(), 3u);
    EXPECT_EQ(std::count_if(kind.begin(), kind.end(), [&](const pjObjectRef& o) { return o.Get() == aloneRaw; }), 0);
    kind.clear();

    EXPECT_EQ(owner.releaseRequests, 1) << "only the held object without a hold";
    EXPECT_EQ(owner.lastTag, 7u);
    EXPECT_EQ(held->dropped, 1);
    EXPECT_EQ(onHold->dropped, 0);
    EXPECT_EQ(db.GetObjectByTimestamp(3, found), S_OK) << "the held one stays findable";
    EXPECT_EQ(found.Get(), held.Get());
    found.Reset();

    db.ReleaseMemory(8, 0, true);
    EXPECT_EQ(owner.releaseRequests, 2) << "asked again on every scrub";
    EXPECT_EQ(held->dropped, 2);

    // Let go of at last, it goes with the next scrub.
    held.Reset();
    db.ReleaseMemory(9, 0, true);
    EXPECT_EQ(Obj::s_alive, aliveBefore + 2);
    EXPECT_EQ(owner.releaseRequests, 2);
}

namespace {

// The clock the worker reads once per request, scripted.
constexpr DWORD kTimes[] = {10000, 11000, 11500, 14500, 14600};
std::atomic<int> g_nextTime{0};
DWORD ScriptedTicks() { return kTimes[g_nextTime++ % 5]; }

// Tells the test when a request with the last tag reached the owner, and
// what the scrubbing thread's priority was then.
class FenceOwner : public Factory {
public:
    FenceOwner() : Factory("Fenced"), m_hFence(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~FenceOwner() override { CloseHandle(m_hFence); }
    void ReleaseRequest(DWORD dwTag, pjObject* p) override
    {
        tags.push_back(dwTag);
        Factory::ReleaseRequest(dwTag, p);
        if (dwTag == 3) {
            priority = GetThreadPriority(GetCurrentThread());
            SetEvent(m_hFence);
        }
    }
    bool WaitForFence() { return WaitForSingleObject(m_hFence, 30000) == WAIT_OBJECT_0; }

    std::vector<DWORD> tags;  // written by the worker only, read after the fence
    int priority = THREAD_PRIORITY_ERROR_RETURN;

private:
    HANDLE m_hFence;
};

}  // namespace

TEST(Scrubber, AQueuedRequestRepeatingTheLastTagWithin2500MsIsDropped)
{
    pjObjectDatabaseImpl db;
    FenceOwner owner;
    auto held = MakeObj(&owner);
    db.AddNewObject(held.Get(), nullptr);
    held->MarkForRemoval();
    {
        pjObjectScrubber scrubber(db, &ScriptedTicks);
        g_nextTime = 0;
        // Tag 1 at 10 s, again 1 s later (dropped); tag 2 after it (kept)
        // and 3 s later again (kept); tag 3 closes the sequence.
        for (DWORD tag : {1u, 1u, 2u, 2u, 3u})
            scrubber.Enqueue({tag, 0});
        ASSERT_TRUE(owner.WaitForFence()) << "the scrubber's worker did not get to the last request in 30 s";
        EXPECT_EQ(owner.tags, (std::vector<DWORD>{1, 2, 2, 3}));
        EXPECT_EQ(owner.priority, THREAD_PRIORITY_IDLE) << "the worker scrubs at idle priority";
    }
    // The worker is gone: its last request's drop is done too.
    EXPECT_EQ(held->dropped, 4);
}
