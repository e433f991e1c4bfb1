#include "platform/kernel32/ThreadHandle.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WaitableObject.h"
#include "platform/kernel32/WinError.h"

namespace platform {

namespace {
const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-2));
}  // namespace

ThreadHandleObject::ThreadHandleObject(DWORD threadId)
    : m_threadId(threadId), m_startTime(detail::ThreadStartTime(threadId))
{
}

ThreadHandleObject::ThreadHandleObject(DWORD threadId, std::shared_ptr<detail::ThreadState> state)
    : m_threadId(threadId), m_startTime(detail::ThreadStartTime(threadId)), m_state(state), m_resolved(true)
{
}

std::shared_ptr<detail::ThreadState> ThreadHandleObject::State()
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_resolved) {
        m_resolved = true;
        // The id must still belong to the thread the handle was opened for.
        if (m_startTime != 0 && detail::ThreadStartTime(m_threadId) == m_startTime)
            m_state = detail::ThreadState::Open(m_threadId);
    }
    auto state = m_state.lock();
    if (state && state->HasEnded())
        return nullptr;
    return state;
}

std::shared_ptr<detail::ThreadState> ThreadStateOfHandle(HANDLE h)
{
    if (h == kCurrentThread)
        return detail::ThreadState::Current();
    auto* thread = LookupHandleAs<ThreadHandleObject>(h);
    if (thread == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto state = thread->State();
    if (!state)
        SetLastError(ERROR_INVALID_HANDLE);
    return state;
}

}  // namespace platform

HANDLE GetCurrentProcess() { return platform::kCurrentProcess; }

HANDLE GetCurrentThread() { return platform::kCurrentThread; }

BOOL DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle, HANDLE hTargetProcessHandle,
                     HANDLE* lpTargetHandle, DWORD, BOOL, DWORD dwOptions)
{
    if (hSourceProcessHandle != platform::kCurrentProcess || hTargetProcessHandle != platform::kCurrentProcess) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    platform::KernelObject* copy = nullptr;
    DWORD error = ERROR_SUCCESS;
    if (hSourceHandle == platform::kCurrentThread) {
        copy = new platform::ThreadHandleObject(GetCurrentThreadId(), platform::detail::ThreadState::Current());
    } else if (hSourceHandle == platform::kCurrentProcess) {
        error = ERROR_NOT_SUPPORTED;
    } else if (auto* thread = platform::LookupHandleAs<platform::ThreadHandleObject>(hSourceHandle)) {
        auto state = thread->State();
        copy = state ? new platform::ThreadHandleObject(thread->Tid(), state)
                     : new platform::ThreadHandleObject(thread->Tid());
    } else if (auto* waitable = platform::LookupHandleAs<platform::WaitableObject>(hSourceHandle)) {
        copy = waitable->Duplicate();
        if (copy == nullptr)
            error = ERROR_NOT_SUPPORTED;
    } else {
        error = platform::LookupHandle(hSourceHandle) == nullptr ? ERROR_INVALID_HANDLE : ERROR_NOT_SUPPORTED;
    }
    if ((dwOptions & DUPLICATE_CLOSE_SOURCE) != 0 && hSourceHandle != platform::kCurrentThread &&
        hSourceHandle != platform::kCurrentProcess)
        CloseHandle(hSourceHandle);
    if (copy == nullptr) {
        SetLastError(error);
        return FALSE;
    }
    HANDLE h = platform::RegisterHandle(copy);
    if (lpTargetHandle != nullptr)
        *lpTargetHandle = h;
    else
        CloseHandle(h);
    return TRUE;
}

DWORD GetThreadId(HANDLE Thread)
{
    if (Thread == platform::kCurrentThread)
        return GetCurrentThreadId();
    auto* thread = platform::LookupHandleAs<platform::ThreadHandleObject>(Thread);
    if (thread == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return thread->Tid();
}
