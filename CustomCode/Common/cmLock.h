// cmLock: the core of the re-entrant reader/writer lock. A core keeps, under
// its guard, a record per thread that holds it (exclusive and shared counts)
// and a first-in-first-out list of wait packets of the threads that sleep on
// it. Readers are admitted whenever no other thread holds the lock
// exclusively; a writer waits until no other thread holds it at all; a sole
// reader may upgrade. The guard is held only for bookkeeping, never while a
// thread sleeps. Waiting has no time limit.
//
// cmReaderWriterLock owns a core and hands out tokens; these functions are
// its machinery and are not called by other code.
#pragma once

#include "CustomCode/Common/cmSpinGuard.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

#include <atomic>
#include <cstddef>
#include <vector>

// A thread that holds the lock in any mode.
struct cmLockThreadRecord {
    DWORD dwSignature = 0x544C4553;  // "SELT"
    DWORD dwThreadId = 0;
    LONG nExclusive = 0;
    LONG nShared = 0;
};

// A thread sleeping on the lock; it belongs to that thread.
struct cmLockWaitPacket {
    DWORD dwSignature = 0x574C4553;  // "SELW"
    DWORD dwThreadId = 0;
    HANDLE hEvent = nullptr;  // auto reset
    std::atomic<bool> bRemoved{false};  // set by the lock's destruction, read by the sleeper
    cmLockWaitPacket* pNext = nullptr;  // in the wait list
};

struct cmLockCore {
    DWORD dwSignature = 0x694C4F4B;  // "KOLi"
    // Guards every field below that is not atomic.
    cmSpinGuard guard;
    // The interest list: the first few records live in the core itself, so
    // that taking an unused lock allocates nothing.
    static constexpr DWORD kInlineRecords = 4;
    cmLockThreadRecord inlineRecords[kInlineRecords];
    std::vector<cmLockThreadRecord>* pMoreRecords = nullptr;
    DWORD nRecords = 0;
    // The wait list, first in first out.
    cmLockWaitPacket* pWaitHead = nullptr;
    cmLockWaitPacket* pWaitTail = nullptr;
    DWORD dwOwner = 0;
    // Threads that have a wait packet: the core stays while they may still
    // look at it.
    DWORD nSleepers = 0;
    // The owning lock is gone; the last holder or sleeper frees the core.
    bool bOrphaned = false;
    // Flags read without the guard by threads that come to acquire.
    std::atomic<bool> bDeleted{false};
    std::atomic<bool> bUnusable{false};
    std::atomic<bool> bAlive{true};
    // The process-wide list of cores.
    cmLockCore* pNext = nullptr;
    cmLockCore* pPrev = nullptr;
};

enum class cmLockKind { Shared = 1, Exclusive = 2, Failed = 3 };

struct cmLockAcquisition {
    cmLockCore* pCore = nullptr;
    cmLockKind eKind = cmLockKind::Failed;
};

class cmLock {
public:
    // A new core, entered in the process-wide list of cores.
    static cmLockCore* Create();
    // Unlinks the core from the list (after R0_LockDestroyLock) and frees it,
    // at once or, while a thread still holds it or sleeps on it, when that
    // thread lets go.
    static void Free(cmLockCore* pCore);

    static cmLockAcquisition R0_LockAcquireExclusive(cmLockCore* pCore);
    static cmLockAcquisition R0_LockAcquireShared(cmLockCore* pCore);
    // Gives up one level of what the acquisition took, for that thread; false
    // when the thread holds nothing of that kind (an unbalanced release).
    static bool R0_LockUnlockOnBehalfOf(const cmLockAcquisition& lt, DWORD dwThreadId);
    // Marks the core deleted and fails every sleeper.
    static bool R0_LockDestroyLock(cmLockCore* pCore);
    // From now on every acquisition fails at once.
    static bool R0_LockRenderUnusable(cmLockCore* pCore);

    // E_FAIL (and kind failed) when the thread's packet was removed by the
    // lock's destruction; the packet is then deleted.
    static HRESULT ValidateLockAvailability(cmLockWaitPacket*& pPacket, cmLockKind& eKind);
    static HRESULT ValidateLockStateAtAcquire(cmLockCore* pCore);

    // The number of thread records and waiters, for tests and diagnostics.
    static std::size_t RecordCount(cmLockCore* pCore);
    static std::size_t WaiterCount(cmLockCore* pCore);
    // The number of cores in the process-wide list.
    static std::size_t CoreCount();
};
