#include "CustomCode/Common/cmLock.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/Wait.h"

#include <algorithm>
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

cmLockThreadRecord* FindRecord(cmLockCore* pCore, DWORD dwThreadId)
{
    for (cmLockThreadRecord* r : pCore->interest) {
        if (r->dwThreadId == dwThreadId)
            return r;
    }
    return nullptr;
}

// Inside the guard: signals the first waiter, if any.
template <class Guard>
void AwakenNext(cmLockCore* pCore, const Guard& guard)
{
    if (pCore->waiters.empty())
        return;
    cmLockWaitPacket* pElem = pCore->waiters.front();
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

// Inside the guard, after an acquisition: the packet leaves the wait list.
void DropPacket(cmLockCore* pCore, cmLockWaitPacket*& pPacket)
{
    if (pPacket == nullptr)
        return;
    auto& w = pCore->waiters;
    w.erase(std::remove(w.begin(), w.end(), pPacket), w.end());
    DeletePacket(pPacket);
}

}  // namespace

cmLockCore* cmLock::Create()
{
    auto* pCore = new cmLockCore;
    InitializeCriticalSection(&pCore->guard);
    std::lock_guard<std::mutex> g(g_coreListLock);
    pCore->pNext = g_pCoreList;
    g_pCoreList = pCore;
    return pCore;
}

void cmLock::Free(cmLockCore* pCore)
{
    if (pCore == nullptr)
        return;
    {
        std::lock_guard<std::mutex> g(g_coreListLock);
        for (cmLockCore** pp = &g_pCoreList; *pp != nullptr; pp = &(*pp)->pNext) {
            if (*pp == pCore) {
                *pp = pCore->pNext;
                break;
            }
        }
    }
    DeleteCriticalSection(&pCore->guard);
    for (cmLockThreadRecord* r : pCore->interest)
        delete r;
    pCore->dwSignature = 0;
    delete pCore;
}

bool cmLock::IsListed(const cmLockCore* pCore)
{
    std::lock_guard<std::mutex> g(g_coreListLock);
    for (const cmLockCore* p = g_pCoreList; p != nullptr; p = p->pNext) {
        if (p == pCore)
            return true;
    }
    return false;
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
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::R0_LockAcquireExclusive");
    cmLockAcquisition lt;
    const DWORD dwThreadId = GetCurrentThreadId();
    if (!MayAcquire(pCore, dwThreadId, cmTraceGuard_, "    "))
        return lt;

    cmLockWaitPacket* pPacket = nullptr;
    for (;;) {
        if (pPacket != nullptr && pPacket->bRemoved) {
            CM_TRACE_WARNING("Our lock is GONE!\n");
            DeletePacket(pPacket);
            CM_TRACE_RETURN(lt);
        }
        EnterCriticalSection(&pCore->guard);
        bool acquired = false;
        cmLockThreadRecord* pMine = FindRecord(pCore, dwThreadId);
        if (pCore->dwOwner != 0) {
            if (pCore->dwOwner == dwThreadId) {
                ++pCore->pOwnerRecord->nExclusive;
                CM_TRACE_WARNING("Our thread owns the lock!\n");
                acquired = true;
            } else {
                CM_TRACE_WARNING("Another thread owns the lock!\n");
            }
        } else if (pCore->interest.empty()) {
            auto* r = new (std::nothrow) cmLockThreadRecord;
            if (r == nullptr) {
                LeaveCriticalSection(&pCore->guard);
                DeletePacket(pPacket);
                CM_TRACE_RETURN(lt);
            }
            r->dwThreadId = dwThreadId;
            r->nExclusive = 1;
            CM_TRACE_WARNING("Nobody owns thread!\n");
            pCore->interest.push_back(r);
            pCore->dwOwner = dwThreadId;
            pCore->pOwnerRecord = r;
            // The line's text ends in a bare '%': it names no value.
            CM_TRACE_WARNING("%s", "Exclusive lock thread ID: %\n");
            acquired = true;
        } else if (pCore->interest.size() == 1 && pMine != nullptr) {
            // The sole holder holds shared locks only: it upgrades.
            ++pMine->nExclusive;
            pCore->dwOwner = dwThreadId;
            pCore->pOwnerRecord = pMine;
            acquired = true;
        }
        if (acquired) {
            DropPacket(pCore, pPacket);
            AwakenNext(pCore, cmTraceGuard_);
            LeaveCriticalSection(&pCore->guard);
            lt.pCore = pCore;
            lt.eKind = cmLockKind::Exclusive;
            CM_TRACE_RETURN(lt);
        }
        if (pPacket == nullptr) {
            CM_TRACE_WARNING("Constructing a wait packet!\n");
            pPacket = NewPacket(dwThreadId);
            if (pPacket == nullptr) {
                LeaveCriticalSection(&pCore->guard);
                CM_TRACE_RETURN(lt);
            }
            pCore->waiters.push_back(pPacket);
        }
        CM_TRACE_WARNING("Thread 0x%x going to sleep on lock at 0x%x!\n", static_cast<unsigned>(dwThreadId), Low32(pCore));
        HANDLE hEvent = pPacket->hEvent;
        LeaveCriticalSection(&pCore->guard);
        WaitForSingleObject(hEvent, INFINITE);
    }
}

cmLockAcquisition cmLock::R0_LockAcquireShared(cmLockCore* pCore)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::R0_LockAcquireShared");
    cmLockAcquisition lt;
    const DWORD dwThreadId = GetCurrentThreadId();
    if (!MayAcquire(pCore, dwThreadId, cmTraceGuard_, ""))
        return lt;
    cmLockWaitPacket* pPacket = nullptr;
    for (;;) {
        EnterCriticalSection(&pCore->guard);
        bool acquired = false;
        cmLockThreadRecord* pMine = FindRecord(pCore, dwThreadId);
        if (pCore->dwOwner == 0 || pCore->dwOwner == dwThreadId) {
            if (pMine == nullptr) {
                pMine = new (std::nothrow) cmLockThreadRecord;
                if (pMine != nullptr) {
                    pMine->dwThreadId = dwThreadId;
                    pCore->interest.push_back(pMine);
                }
            }
            if (pMine == nullptr) {
                LeaveCriticalSection(&pCore->guard);
                DeletePacket(pPacket);
                CM_TRACE_RETURN(lt);
            }
            ++pMine->nShared;
            acquired = true;
        }
        if (acquired) {
            DropPacket(pCore, pPacket);
            AwakenNext(pCore, cmTraceGuard_);
            LeaveCriticalSection(&pCore->guard);
            lt.pCore = pCore;
            lt.eKind = cmLockKind::Shared;
            CM_TRACE_RETURN(lt);
        }
        if (pPacket == nullptr) {
            pPacket = NewPacket(dwThreadId);
            if (pPacket == nullptr) {
                LeaveCriticalSection(&pCore->guard);
                CM_TRACE_RETURN(lt);
            }
            pCore->waiters.push_back(pPacket);
        }
        HANDLE hEvent = pPacket->hEvent;
        LeaveCriticalSection(&pCore->guard);
        CM_TRACE_WARNING("Thread 0x%x going to sleep on lock at 0x%x!\n", static_cast<unsigned>(dwThreadId), Low32(pCore));
        WaitForSingleObject(hEvent, INFINITE);
        cmLockKind eKind = cmLockKind::Shared;
        if (ValidateLockAvailability(pPacket, eKind) != S_OK)
            CM_TRACE_RETURN(lt);
    }
}

bool cmLock::R0_LockUnlockOnBehalfOf(const cmLockAcquisition& lt, DWORD dwThreadId)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::R0_LockUnlockOnBehalfOf");
    cmLockCore* pCore = lt.pCore;
    if (!IsReadable(pCore) || lt.eKind == cmLockKind::Failed)
        return false;
    EnterCriticalSection(&pCore->guard);
    cmLockThreadRecord* r = FindRecord(pCore, dwThreadId);
    if (r == nullptr) {
        LeaveCriticalSection(&pCore->guard);
        return false;
    }
    if (lt.eKind == cmLockKind::Exclusive) {
        if (--r->nExclusive == 0) {
            pCore->dwOwner = 0;
            pCore->pOwnerRecord = nullptr;
            CM_TRACE_DETAIL("End of exclusive lock\n");
        }
    } else {
        --r->nShared;
    }
    if (r->nExclusive < 0 || r->nShared < 0) {
        // Unbalanced: undo the count so the lock stays as it was.
        if (r->nExclusive < 0)
            r->nExclusive = 0;
        if (r->nShared < 0)
            r->nShared = 0;
        LeaveCriticalSection(&pCore->guard);
        return false;
    }
    CM_TRACE_DETAIL("Thread has 0x%x exclusive and 0x%x shared remaining\n", static_cast<unsigned>(r->nExclusive),
                    static_cast<unsigned>(r->nShared));
    if (r->nExclusive == 0 && r->nShared == 0) {
        CM_TRACE_DETAIL("End of thread's interest in lock\n");
        auto& v = pCore->interest;
        v.erase(std::remove(v.begin(), v.end(), r), v.end());
        delete r;
    }
    AwakenNext(pCore, cmTraceGuard_);
    LeaveCriticalSection(&pCore->guard);
    CM_TRACE_RETURN_AS("true", true);
}

bool cmLock::R0_LockDestroyLock(cmLockCore* pCore)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLOCK, "cmLock::R0_LockDestroyLock");
    if (!IsReadable(pCore))
        return false;
    EnterCriticalSection(&pCore->guard);
    pCore->bDeleted = true;
    while (!pCore->waiters.empty()) {
        cmLockWaitPacket* pElem = pCore->waiters.front();
        pCore->waiters.pop_front();
        CM_TRACE_WARNING("Removing: pElem = 0x%x.\n", Low32(pElem));
        pElem->bRemoved = true;
        SetEvent(pElem->hEvent);
    }
    LeaveCriticalSection(&pCore->guard);
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
    EnterCriticalSection(&pCore->guard);
    const std::size_t n = pCore->interest.size();
    LeaveCriticalSection(&pCore->guard);
    return n;
}

std::size_t cmLock::WaiterCount(cmLockCore* pCore)
{
    EnterCriticalSection(&pCore->guard);
    const std::size_t n = pCore->waiters.size();
    LeaveCriticalSection(&pCore->guard);
    return n;
}
