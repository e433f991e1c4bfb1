#include "objdb/pjObjectScrubber.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "objdb/pjObjectDatabaseImpl.h"
#include "objdb/pjObjectFactory.h"
#include "objdb/pjPropertyIds.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/ThreadPriority.h"
#include "platform/kernel32/TickCount.h"

#include <unordered_set>

pjObjectScrubber::pjObjectScrubber(pjObjectDatabaseImpl& db, TickSource pfnTicks)
    : m_db(db), m_pfnTicks(pfnTicks != nullptr ? pfnTicks : &GetTickCount)
{
    // The worker never needs the main thread's message loop.
    SetPumpMessages(false);
}

pjObjectScrubber::~pjObjectScrubber()
{
    // The worker calls Process and must be gone before this part is.
    Stop(10000);
}

void pjObjectScrubber::Process(SCRUBBER_INFO& item)
{
    const DWORD now = m_pfnTicks();
    if (m_lastTag && *m_lastTag == item.dwTag && now - m_dwLastScrub < kSameTagIntervalMs) {
        ++m_nProcessed;
        return;
    }
    if (!m_bIdle) {
        // Scrubbing is housekeeping: it runs when nothing else wants the processor.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_IDLE);
        m_bIdle = true;
    }
    Scrub(item);
    m_dwLastScrub = now;
    m_lastTag = item.dwTag;
    ++m_nProcessed;
}

void pjObjectScrubber::Scrub(const SCRUBBER_INFO& info)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_PJOBJ, "pjObjectScrubber::Scrub");
    // Objects whose last count goes here are destroyed after the lock is
    // given up: their destructors are their classes' code.
    pjObjectList destroyed;
    {
        cmLockToken token = m_db.m_objectLock.LockExclusive();
        std::unordered_set<pjObject*> typed;
        for (auto& [szType, set] : m_db.m_typeIndex) {
            CM_TRACE_INFO("Number of %s in pjObjDB: %d\n", szType.GetText(), static_cast<int>(set.size()));
            for (auto it = set.begin(); it != set.end();) {
                pjObjectRef object(it->first);  // the temporary reference
                typed.insert(it->first);
                if ((object->GetStateFlags() & PJ_STATE_REMOVE) == 0) {
                    ++it;
                    continue;
                }
                if (object->GetRefCount() <= 3) {
                    // Only the two indexes and this pass hold it.
                    const auto entry = m_db.m_objectIndex.find(it->first);
                    it->first->Release();
                    it = set.erase(it);
                    if (entry != m_db.m_objectIndex.end())
                        m_db.EraseFromObjectIndex(entry);
                    destroyed.push_back(std::move(object));
                    continue;
                }
                if (object->GetHoldCount() == 0) {
                    if (pjObjectFactory* pOwner = object->GetOwner())
                        pOwner->ReleaseRequest(info.dwTag, object.Get());
                    object->DropReferences();
                }
                ++it;
            }
        }
        // Objects taken out of their type stay in the object index until now.
        for (auto it = m_db.m_objectIndex.begin(); it != m_db.m_objectIndex.end();) {
            if (typed.count(it->first) != 0) {
                ++it;
                continue;
            }
            destroyed.emplace_back(it->first);
            auto next = std::next(it);
            m_db.EraseFromObjectIndex(it);
            it = next;
        }
    }
    destroyed.clear();
}
