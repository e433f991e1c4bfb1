#include "platform/kernel32/Wait.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WaitEngine.h"
#include "platform/kernel32/WaitableObject.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <mutex>
#include <poll.h>

namespace platform::detail {

namespace {

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
    if (r.alertable)
        state = ThreadState::Current();
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
        // 3. The further input (messages).
        if (r.input != nullptr && r.input->IsReady())
            return WAIT_OBJECT_0 + n;
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
        if (r.input != nullptr) {
            r.input->AddDescriptors(fds);
            r.input->Sleep(fds, left);
        } else {
            PollReadable(fds, left);
        }
    }
}

bool PollReadable(const std::vector<int>& fds, DWORD timeoutMs)
{
    std::vector<pollfd> p;
    p.reserve(fds.size());
    for (int fd : fds) {
        if (fd >= 0)
            p.push_back(pollfd{fd, POLLIN, 0});
    }
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        int ms = -1;
        if (timeoutMs != 0xFFFFFFFF) {
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            const long long left = static_cast<long long>(timeoutMs) - elapsed;
            if (left <= 0 && elapsed > 0)
                return false;
            ms = static_cast<int>(std::min<long long>(std::max<long long>(left, 0), INT_MAX));
        }
        const int rc = ::poll(p.data(), static_cast<nfds_t>(p.size()), ms);
        if (rc > 0)
            return true;
        if (rc == 0)
            return false;
        if (errno != EINTR)
            return false;
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

}  // namespace

namespace platform::detail {

DWORD WaitOnHandles(DWORD nCount, const HANDLE* lpHandles, bool waitAll, DWORD ms, bool alertable, WaitInput* input,
                    DWORD maxCount)
{
    if (nCount > maxCount || (nCount > 0 && lpHandles == nullptr) || (nCount == 0 && input == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    WaitRequest r;
    if (!CoresOf(nCount, lpHandles, r.objects))
        return WAIT_FAILED;
    if (waitAll && HasDuplicates(r.objects)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    r.waitAll = waitAll;
    r.timeoutMs = ms;
    r.alertable = alertable;
    r.input = input;
    return RunWait(r);
}

}  // namespace platform::detail

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    return platform::detail::WaitOnHandles(1, &hHandle, false, dwMilliseconds, false, nullptr, 1);
}

DWORD WaitForSingleObjectEx(HANDLE hHandle, DWORD dwMilliseconds, BOOL bAlertable)
{
    return platform::detail::WaitOnHandles(1, &hHandle, false, dwMilliseconds, bAlertable != FALSE, nullptr, 1);
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    return platform::detail::WaitOnHandles(nCount, lpHandles, bWaitAll != FALSE, dwMilliseconds, false, nullptr,
                                          MAXIMUM_WAIT_OBJECTS);
}

DWORD WaitForMultipleObjectsEx(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds,
                               BOOL bAlertable)
{
    return platform::detail::WaitOnHandles(nCount, lpHandles, bWaitAll != FALSE, dwMilliseconds, bAlertable != FALSE,
                                          nullptr, MAXIMUM_WAIT_OBJECTS);
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
