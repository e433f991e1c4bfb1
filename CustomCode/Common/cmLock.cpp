#include "CustomCode/Common/cmLock.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/Wait.h"

#include <cstdint>
#include <mutex>
#include <new>

namespace {

// The process-wide list of cores, with a lock of its own so that cores made
// and destroyed on different threads never corrupt it.
std::mutex g_coreListLock;
cmLockCore* g_pCoreList = nullptr;

unsigned Low32(const void* p) { return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(p)); }

// Whether the core can be used at all (its memory is ours and a core's).
bool IsReadable(const cmLockCore* pCore) { return pCore != nullptr && pCore->dwSignature == 0x694C4F4Bu; }

// Stands for the trace guard while the lock's subsystem writes nothing: the
// operations then cost no guard on the thread's chain.
struct NoTrace {
    bool IsOn(DWORD) const { return false; }
    void Print(const char*, ...) const {}
    template <class T>
    T LogReturn(const char*, T value) const
    {
        return value;
    }
};

// The interest list, inside the guard.
cmLockThreadRecord& RecordAt(cmLockCore* pCore, DWORD i)
{
    return i < cmLockCore::kInlineRecords ? pCore->inlineRecords[i] : (*pCore->pMoreRecords)[i - cmLockCore::kInlineRecords];
}

cmLockThreadRecord* FindRecord(cmLockCore* pCore, DWORD dwThreadId)
{
    for (DWORD i = 0; i < pCore->nRecords; ++i) {
        cmLockThreadRecord& r = RecordAt(pCore, i);
        if (r.dwThreadId == dwThreadId)
            return &r;
    }
    return nullptr;
}

// A new record at the end of the list; null when memory runs out.
cmLockThreadRecord* AppendRecord(cmLockCore* pCore, DWORD dwThreadId)
{
    const DWORD i = pCore->nRecords;
    if (i >= cmLockCore::kInlineRecords) {
        if (pCore->pMoreRecords == nullptr)
            pCore->pMoreRecords = new (std::nothrow) std::vector<cmLockThreadRecord>;
        if (pCore->pMoreRecords == nullptr)
            return nullptr;
        try {
            if (pCore->pMoreRecords->size() <= i - cmLockCore::kInlineRecords)
                pCore->pMoreRecords->emplace_back();
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
    }
    cmLockThreadRecord& r = RecordAt(pCore, i);
    r = cmLockThreadRecord{};
    r.dwThreadId = dwThreadId;
    ++pCore->nRecords;
    return &r;
}

// Removes a record; the last one takes its place.
void RemoveRecord(cmLockCore* pCore, cmLockThreadRecord* pRecord)
{
    cmLockThreadRecord& last = RecordAt(pCore, pCore->nRecords - 1);
    if (pRecord != &last)
        *pRecord = last;
    --pCore->nRecords;
}

// Inside the guard: signals the first waiter, if any.
template <class Guard>
void AwakenNext(cmLockCore* pCore, const Guard& guard)
{
    cmLockWaitPacket* pElem = pCore->pWaitHead;
    if (pElem == nullptr)
        return;
    if (guard.IsOn(CM_DEBUG_WARNING))
        guard.Print("Awakening: pElem = 0x%x.\n", Low32(pElem));
    SetEvent(pElem->hEvent);
}

// Whether an acquisition may start: a core of ours, neither unusable nor
// being destroyed. The detail lines name the lock and the thread.
template <class Guard>
bool MayAcquire(const cmLockCore* pCore, DWORD dwThreadId, const Guard& guard, const char* szIndent)
{
    if (!IsReadable(pCore))
        return false;
    if (guard.IsOn(CM_DEBUG_DETAIL)) {
        guard.Print("%spvLock == 0x%x\n", szIndent, Low32(pCore));
        guard.Print("%sThreadID == 0x%x\n", szIndent, static_cast<unsigned>(dwThreadId));
    }
    if (pCore->bUnusable)
        return false;
    if (pCore->bDeleted) {
        if (guard.IsOn(CM_DEBUG_WARNING))
            guard.Print("Attempting to look at a 'deleted' lock!\n");
        return false;
    }
    return true;
}

cmLockWaitPacket* NewPacket(DWORD dwThreadId)
{
    auto* p = new (std::nothrow) cmLockWaitPacket;
    if (p == nullptr)
        return nullptr;
    p->dwThreadId = dwThreadId;
    p->hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (p->hEvent == nullptr) {
        delete p;
        return nullptr;
    }
    return p;
}

void DeletePacket(cmLockWaitPacket*& p)
{
    if (p != nullptr) {
        CloseHandle(p->hEvent);
        delete p;
        p = nullptr;
    }
}

// Inside the guard: the packet joins the end of the wait list.
void EnqueuePacket(cmLockCore* pCore, cmLockWaitPacket* pPacket)
{
    pPacket->pNext = nullptr;
    if (pCore->pWaitTail != nullptr)
        pCore->pWaitTail->pNext = pPacket;
    else
        pCore->pWaitHead = pPacket;
    pCore->pWaitTail = pPacket;
}

// Inside the guard: takes the packet out of the wait list if it is there.
void UnlinkPacket(cmLockCore* pCore, cmLockWaitPacket* pPacket)
{
    cmLockWaitPacket* prev = nullptr;
    for (cmLockWaitPacket* p = pCore->pWaitHead; p != nullptr; prev = p, p = p->pNext) {
        if (p != pPacket)
            continue;
        (prev != nullptr ? prev->pNext : pCore->pWaitHead) = p->pNext;
        if (pCore->pWaitTail == p)
            pCore->pWaitTail = prev;
        return;
    }
}

// Inside the guard: whether an orphaned core has nobody left who may look at it.
bool NobodyLeft(const cmLockCore* pCore)
{
    return pCore->bOrphaned && pCore->nRecords == 0 && pCore->nSleepers == 0;
}

void DeleteCore(cmLockCore* pCore)
{
    delete pCore->pMoreRecords;
    pCore->dwSignature = 0;
    delete pCore;
}

// A thread that had a packet is done with it (acquired, failed or woken by
// the lock's destruction). Outside the guard.
void LeaveAsSleeper(cmLockCore* pCore, cmLockWaitPacket*& pPacket)
{
    if (pPacket == nullptr)
        return;
    pCore->guard.Enter();
    UnlinkPacket(pCore, pPacket);
    --pCore->nSleepers;
    const bool last = NobodyLeft(pCore);
    pCore->guard.Leave();
    DeletePacket(pPacket);
    if (last)
        DeleteCore(pCore);
}

template <class Guard>
cmLockAcquisition AcquireExclusive(cmLockCore* pCore, DWORD dwThreadId, const Guard& cmTraceGuard_)
{
    cmLockAcquisition lt;
    if (!MayAcquire(pCore, dwThreadId, cmTraceGuard_, "    "))
        return lt;

    cmLockWaitPacket* pPacket = nullptr;
    for (;;) {
        if (pPacket != nullptr && pPacket->bRemoved) {
            CM_TRACE_WARNING("Our lock is GONE!\n");
            LeaveAsSleeper(pCore, pPacket);
            CM_TRACE_RETURN(lt);
        }
        pCore->guard.Enter();
        if (pCore->bDeleted) {
            // Destroyed between the wake-up and here.
            pCore->guard.Leave();
            LeaveAsSleeper(pCore, pPacket);
            CM_TRACE_RETURN(lt);
        }
        bool acquired = false;
        if (pCore->dwOwner != 0) {
            if (pCore->dwOwner == dwThreadId) {
                ++FindRecord(pCore, dwThreadId)->nExclusive;
                CM_TRACE_WARNING("Our thread owns the lock!\n");
                acquired = true;
            } else {
                CM_TRACE_WARNING("Another thread owns the lock!\n");
            }
        } else if (pCore->nRecords == 0) {
            cmLockThreadRecord* r = AppendRecord(pCore, dwThreadId);
            if (r == nullptr) {
                pCore->guard.Leave();
                LeaveAsSleeper(pCore, pPacket);
                CM_TRACE_RETURN(lt);
            }
            r->nExclusive = 1;
            CM_TRACE_WARNING("Nobody owns thread!\n");
            pCore->dwOwner = dwThreadId;
            // The line's text ends in a bare '%': it names no value.
            CM_TRACE_WARNING("%s", "Exclusive lock thread ID: %\n");
            acquired = true;
        } else if (pCore->nRecords == 1 && RecordAt(pCore, 0).dwThreadId == dwThreadId) {
            // The sole holder holds shared locks only: it upgrades.
            ++RecordAt(pCore, 0).nExclusive;
            pCore->dwOwner = dwThreadId;
            acquired = true;
        }
        if (acquired) {
            if (pPacket != nullptr) {
                UnlinkPacket(pCore, pPacket);
                --pCore->nSleepers;
            }
            AwakenNext(pCore, cmTraceGuard_);
            pCore->guard.Leave();
            DeletePacket(pPacket);
            lt.pCore = pCore;
            lt.eKind = cmLockKind::Exclusive;
            CM_TRACE_RETURN(lt);
        }
        if (pPacket == nullptr) {
            CM_TRACE_WARNING("Constructing a wait packet!\n");
            pPacket = NewPacket(dwThreadId);
            if (pPacket == nullptr) {
                pCore->guard.Leave();
                CM_TRACE_RETURN(lt);
            }
            EnqueuePacket(pCore, pPacket);
            ++pCore->nSleepers;
        }
        CM_TRACE_WARNING("Thread 0x%x going to sleep on lock at 0x%x!\n", static_cast<unsigned>(dwThreadId), Low32(pCore));
        HANDLE hEvent = pPacket->hEvent;
        pCore->guard.Leave();
        WaitForSingleObject(hEvent, INFINITE);
    }
}

template <class Guard>
cmLockAcquisition AcquireShared(cmLockCore* pCore, DWORD dwThreadId, const Guard& cmTraceGuard_)
{
    cmLockAcquisition lt;
    if (!MayAcquire(pCore, dwThreadId, cmTraceGuard_, ""))
        return lt;
    cmLockWaitPacket* pPacket = nullptr;
    for (;;) {
        pCore->guard.Enter();
        if (pCore->bDeleted) {
            pCore->guard.Leave();
            LeaveAsSleeper(pCore, pPacket);
            CM_TRACE_RETURN(lt);
        }
        if (pCore->dwOwner == 0 || pCore->dwOwner == dwThreadId) {
            cmLockThreadRecord* pMine = FindRecord(pCore, dwThreadId);
            if (pMine == nullptr)
                pMine = AppendRecord(pCore, dwThreadId);
            if (pMine == nullptr) {
                pCore->guard.Leave();
                LeaveAsSleeper(pCore, pPacket);
                CM_TRACE_RETURN(lt);
            }
            ++pMine->nShared;
            if (pPacket != nullptr) {
                UnlinkPacket(pCore, pPacket);
                --pCore->nSleepers;
            }
            AwakenNext(pCore, cmTraceGuard_);
            pCore->guard.Leave();
            DeletePacket(pPacket);
            lt.pCore = pCore;
            lt.eKind = cmLockKind::Shared;
            CM_TRACE_RETURN(lt);
        }
        if (pPacket == nullptr) {
            pPacket = NewPacket(dwThreadId);
            if (pPacket == nullptr) {
                pCore->guard.Leave();
                CM_TRACE_RETURN(lt);
            }
            EnqueuePacket(pCore, pPacket);
            ++pCore->nSleepers;
        }
        HANDLE hEvent = pPacket->hEvent;
        pCore->guard.Leave();
        CM_TRACE_WARNING("Thread 0x%x going to sleep on lock at 0x%x!\n", static_cast<unsigned>(dwThreadId), Low32(pCore));
        WaitForSingleObject(hEvent, INFINITE);
        if (pPacket->bRemoved) {
            CM_TRACE_WARNING("Our lock is GONE!\n");
            LeaveAsSleeper(pCore, pPacket);
            CM_TRACE_RETURN(lt);
        }
    }
}

template <class Guard>
bool UnlockOnBehalfOf(const cmLockAcquisition& lt, DWORD dwThreadId, const Guard& cmTraceGuard_)
{
    cmLockCore* pCore = lt.pCore;
    if (!IsReadable(pCore) || lt.eKind == cmLockKind::Failed)
        return false;
    pCore->guard.Enter();
    cmLockThreadRecord* r = FindRecord(pCore, dwThreadId);
    if (r == nullptr) {
        pCore->guard.Leave();
        return false;
    }
    LONG& count = (lt.eKind == cmLockKind::Exclusive) ? r->nExclusive : r->nShared;
    if (count <= 0) {
        // Unbalanced: the lock stays as it was.
        pCore->guard.Leave();
        return false;
    }
    if (--count == 0 && lt.eKind == cmLockKind::Exclusive) {
        pCore->dwOwner = 0;
        CM_TRACE_DETAIL("End of exclusive lock\n");
    }
    CM_TRACE_DETAIL("Thread has 0x%x exclusive and 0x%x shared remaining\n", static_cast<unsigned>(r->nExclusive),
                    static_cast<unsigned>(r->nShared));
    if (r->nExclusive == 0 && r->nShared == 0) {
        CM_TRACE_DETAIL("End of thread's interest in lock\n");
        RemoveRecord(pCore, r);
    }
    AwakenNext(pCore, cmTraceGuard_);
    const bool last = NobodyLeft(pCore);
    pCore->guard.Leave();
    if (last)
        DeleteCore(pCore);
    CM_TRACE_RETURN_AS("true", true);
}

// Runs an operation's body under the lock subsystem's trace guard, or without
// one while the subsystem's flags are all clear (the routine is counted
// either way).
#define CM_LOCK_TRACED(name, body)                                                \
    static cmDebugRoutineRecord cmTraceRecord_(name);                             \
    cmTraceRecord_.Count();                                                       \
    if (cmDebugFlags<CM_DEBUG_ID_CMLOCK>() == 0)                                  \
        return body(NoTrace());                                                   \
    cmDebugFunction<CM_DEBUG_ID_CMLOCK> cmTraceGuard_(name, cmTraceRecord_.Get()); \
    return body(cmTraceGuard_)

}  // namespace

cmLockCore* cmLock::Create()
{
    auto* pCore = new cmLockCore;
    std::lock_guard<std::mutex> g(g_coreListLock);
    pCore->pNext = g_pCoreList;
    if (g_pCoreList != nullptr)
        g_pCoreList->pPrev = pCore;
    g_pCoreList = pCore;
    return pCore;
}

void cmLock::Free(cmLockCore* pCore)
{
    if (!IsReadable(pCore))
        return;
    {
        std::lock_guard<std::mutex> g(g_coreListLock);
        (pCore->pPrev != nullptr ? pCore->pPrev->pNext : g_pCoreList) = pCore->pNext;
        if (pCore->pNext != nullptr)
            pCore->pNext->pPrev = pCore->pPrev;
        pCore->pNext = pCore->pPrev = nullptr;
    }
    pCore->guard.Enter();
    pCore->bOrphaned = true;
    const bool last = NobodyLeft(pCore);
    pCore->guard.Leave();
    if (last)
        DeleteCore(pCore);
}

HRESULT cmLock::ValidateLockAvailability(cmLockWaitPacket*& pPacket, cmLockKind& eKind)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::ValidateLockAvailability");
    if (pPacket != nullptr && pPacket->bRemoved) {
        CM_TRACE_WARNING("Our lock is GONE!\n");
        DeletePacket(pPacket);
        eKind = cmLockKind::Failed;
        return E_FAIL;
    }
    return S_OK;
}

HRESULT cmLock::ValidateLockStateAtAcquire(cmLockCore* pCore)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::ValidateLockStateAtAcquire");
    const cmLockCore* pvLock = IsReadable(pCore) ? pCore : nullptr;
    CM_CHECK_ARG(pvLock);
    if (pCore->bUnusable)
        return E_FAIL;
    if (pCore->bDeleted) {
        CM_TRACE_WARNING("Attempting to look at a 'deleted' lock!\n");
        return E_FAIL;
    }
    return S_OK;
}

cmLockAcquisition cmLock::R0_LockAcquireExclusive(cmLockCore* pCore)
{
    const DWORD dwThreadId = GetCurrentThreadId();
    auto body = [&](const auto& guard) { return AcquireExclusive(pCore, dwThreadId, guard); };
    CM_LOCK_TRACED("cmLock::R0_LockAcquireExclusive", body);
}

cmLockAcquisition cmLock::R0_LockAcquireShared(cmLockCore* pCore)
{
    const DWORD dwThreadId = GetCurrentThreadId();
    auto body = [&](const auto& guard) { return AcquireShared(pCore, dwThreadId, guard); };
    CM_LOCK_TRACED("cmLock::R0_LockAcquireShared", body);
}

bool cmLock::R0_LockUnlockOnBehalfOf(const cmLockAcquisition& lt, DWORD dwThreadId)
{
    auto body = [&](const auto& guard) { return UnlockOnBehalfOf(lt, dwThreadId, guard); };
    CM_LOCK_TRACED("cmLock::R0_LockUnlockOnBehalfOf", body);
}

bool cmLock::R0_LockDestroyLock(cmLockCore* pCore)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::R0_LockDestroyLock");
    if (!IsReadable(pCore))
        return false;
    pCore->guard.Enter();
    pCore->bDeleted = true;
    while (cmLockWaitPacket* pElem = pCore->pWaitHead) {
        pCore->pWaitHead = pElem->pNext;
        pElem->pNext = nullptr;
        CM_TRACE_WARNING("Removing: pElem = 0x%x.\n", Low32(pElem));
        pElem->bRemoved = true;
        SetEvent(pElem->hEvent);
    }
    pCore->pWaitTail = nullptr;
    pCore->guard.Leave();
    return true;
}

bool cmLock::R0_LockRenderUnusable(cmLockCore* pCore)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::R0_LockRenderUnusable");
    if (!IsReadable(pCore))
        return false;
    CM_TRACE_DETAIL("    Lock == 0x%x\n", Low32(pCore));
    const cmLockAcquisition lt = R0_LockAcquireExclusive(pCore);
    pCore->bUnusable = true;
    if (lt.eKind != cmLockKind::Failed)
        R0_LockUnlockOnBehalfOf(lt, GetCurrentThreadId());
    return lt.eKind != cmLockKind::Failed;
}

std::size_t cmLock::RecordCount(cmLockCore* pCore)
{
    cmSpinGuardScope g(pCore->guard);
    return pCore->nRecords;
}

std::size_t cmLock::WaiterCount(cmLockCore* pCore)
{
    cmSpinGuardScope g(pCore->guard);
    std::size_t n = 0;
    for (const cmLockWaitPacket* p = pCore->pWaitHead; p != nullptr; p = p->pNext)
        ++n;
    return n;
}

std::size_t cmLock::CoreCount()
{
    std::lock_guard<std::mutex> g(g_coreListLock);
    std::size_t n = 0;
    for (const cmLockCore* p = g_pCoreList; p != nullptr; p = p->pNext)
        ++n;
    return n;
}
