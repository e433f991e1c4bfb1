#include "platform/kernel32/Wait.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WaitEngine.h"
#include "platform/kernel32/WaitableObject.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/MessagePump.h"
#include "platform/user32/ThreadLoop.h"
#include "platform/user32/WinUser.h"

#include <algorithm>
#include <chrono>
#include <mutex>

namespace platform::detail {

namespace {

constexpr DWORD kPostedBits = QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;

// Takes every object at once, or none. The cores are locked in address
// order so that two such waits cannot deadlock.
bool TakeAll(const std::vector<std::shared_ptr<EventCore>>& objects)
{
    std::vector<EventCore*> sorted;
    sorted.reserve(objects.size());
    for (const auto& o : objects)
        sorted.push_back(o.get());
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::unique_lock<std::mutex>> locks;
    locks.reserve(sorted.size());
    for (EventCore* c : sorted)
        locks.emplace_back(c->Mutex());
    for (EventCore* c : sorted) {
        if (!c->IsSignaledLocked())
            return false;
    }
    for (EventCore* c : sorted)
        c->TakeLocked();
    return true;
}

// Which objects a wait should sleep on: for wait-any all of them, for
// wait-all only those not signaled now (a signaled manual-reset event would
// keep poll() awake).
void AddObjectFds(const WaitRequest& r, std::vector<int>& fds)
{
    for (const auto& o : r.objects) {
        if (!r.waitAll || !o->IsSignaled())
            fds.push_back(o->Fd());
    }
}

}  // namespace

DWORD RunWait(const WaitRequest& r)
{
    using Clock = std::chrono::steady_clock;
    const bool limited = r.timeoutMs != INFINITE;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? r.timeoutMs : 0);
    std::shared_ptr<ThreadState> state;
    if (r.alertable || r.wakeMask != 0)
        state = ThreadState::Current();
    std::shared_ptr<MessageQueue> queue;
    if (r.wakeMask != 0) {
        queue = state->EnsureQueue();
        if (!queue) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return WAIT_FAILED;
        }
    }
    const auto n = static_cast<DWORD>(r.objects.size());

    for (;;) {
        // 1. The objects.
        if (r.waitAll) {
            if (n != 0 && TakeAll(r.objects))
                return WAIT_OBJECT_0;
        } else {
            for (DWORD i = 0; i < n; ++i) {
                if (r.objects[i]->TryTake())
                    return WAIT_OBJECT_0 + i;
            }
        }
        // 2. Queued calls.
        if (r.alertable && state->RunApcs())
            return WAIT_IO_COMPLETION;
        // 3. Message input.
        if (queue) {
            CollectInput(*queue);
            if ((queue->Status() & r.wakeMask) != 0)
                return WAIT_OBJECT_0 + n;
        }
        // 4. Sleep until one of them may have changed.
        DWORD left = INFINITE;
        if (limited) {
            const auto now = Clock::now();
            if (now >= deadline)
                return WAIT_TIMEOUT;
            // Rounded up, so a wait never wakes a fraction early and spins.
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
            left = static_cast<DWORD>(std::min<long long>((us + 999) / 1000, 0x7FFFFFFF));
        }
        std::vector<int> fds;
        AddObjectFds(r, fds);
        if (r.alertable)
            fds.push_back(state->ApcFd());
        if (queue) {
            if ((r.wakeMask & kPostedBits) != 0)
                fds.push_back(queue->PostedFd());
            if ((r.wakeMask & QS_SENDMESSAGE) != 0)
                fds.push_back(queue->SentFd());
            if ((r.wakeMask & QS_TIMER) != 0)
                fds.push_back(queue->TimerFd());
            if ((r.wakeMask & (kPostedBits | QS_SENDMESSAGE)) != 0) {
                for (const auto& s : queue->Sockets())
                    fds.push_back(s.first);
            }
        }
        WaitReadable(fds, left, queue != nullptr);
    }
}

}  // namespace platform::detail

namespace {

// The signal cores behind the handles; false (last error set) when one is no
// waitable handle.
bool CoresOf(DWORD nCount, const HANDLE* lpHandles, std::vector<std::shared_ptr<platform::EventCore>>& cores)
{
    cores.reserve(nCount);
    for (DWORD i = 0; i < nCount; ++i) {
        auto* object = platform::LookupHandleAs<platform::WaitableObject>(lpHandles[i]);
        if (object == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return false;
        }
        cores.push_back(object->Core());
    }
    return true;
}

bool HasDuplicates(std::vector<std::shared_ptr<platform::EventCore>> cores)
{
    std::sort(cores.begin(), cores.end());
    return std::adjacent_find(cores.begin(), cores.end()) != cores.end();
}

DWORD WaitOn(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD ms, bool alertable, DWORD wakeMask,
             DWORD maxCount)
{
    if (nCount > maxCount || (nCount > 0 && lpHandles == nullptr) || (nCount == 0 && wakeMask == 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    platform::detail::WaitRequest r;
    if (!CoresOf(nCount, lpHandles, r.objects))
        return WAIT_FAILED;
    if (bWaitAll && HasDuplicates(r.objects)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    r.waitAll = bWaitAll != FALSE;
    r.timeoutMs = ms;
    r.alertable = alertable;
    r.wakeMask = wakeMask;
    return platform::detail::RunWait(r);
}

}  // namespace

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    return WaitOn(1, &hHandle, FALSE, dwMilliseconds, false, 0, 1);
}

DWORD WaitForSingleObjectEx(HANDLE hHandle, DWORD dwMilliseconds, BOOL bAlertable)
{
    return WaitOn(1, &hHandle, FALSE, dwMilliseconds, bAlertable != FALSE, 0, 1);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    return WaitOn(nCount, lpHandles, bWaitAll, dwMilliseconds, false, 0, MAXIMUM_WAIT_OBJECTS);
}

DWORD WaitForMultipleObjectsEx(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds,
                               BOOL bAlertable)
{
    return WaitOn(nCount, lpHandles, bWaitAll, dwMilliseconds, bAlertable != FALSE, 0, MAXIMUM_WAIT_OBJECTS);
}

void Sleep(DWORD dwMilliseconds) { SleepEx(dwMilliseconds, FALSE); }

DWORD SleepEx(DWORD dwMilliseconds, BOOL bAlertable)
{
    platform::detail::WaitRequest r;
    r.timeoutMs = dwMilliseconds;
    r.alertable = bAlertable != FALSE;
    const DWORD rc = platform::detail::RunWait(r);
    return rc == WAIT_IO_COMPLETION ? WAIT_IO_COMPLETION : 0;
}

DWORD MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll, DWORD dwMilliseconds,
                                DWORD dwWakeMask)
{
    return MsgWaitForMultipleObjectsEx(nCount, pHandles, dwMilliseconds, dwWakeMask,
                                       fWaitAll ? MWMO_WAITALL : 0);
}

DWORD MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds, DWORD dwWakeMask,
                                  DWORD dwFlags)
{
    if ((dwFlags & ~(MWMO_WAITALL | MWMO_ALERTABLE | MWMO_INPUTAVAILABLE)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // A mask without any kind of input this platform has still makes the
    // thread's queue, as on Windows, but can never be met.
    const DWORD mask = dwWakeMask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE | QS_SENDMESSAGE | QS_TIMER);
    platform::detail::ThreadState::Current()->EnsureQueue();
    if (nCount == 0 && mask == 0) {
        platform::detail::WaitRequest r;
        r.timeoutMs = dwMilliseconds;
        r.alertable = (dwFlags & MWMO_ALERTABLE) != 0;
        return platform::detail::RunWait(r);
    }
    return WaitOn(nCount, pHandles, (dwFlags & MWMO_WAITALL) != 0, dwMilliseconds, (dwFlags & MWMO_ALERTABLE) != 0,
                  mask, MAXIMUM_WAIT_OBJECTS - 1);
}
