// Thread handles: GetCurrentThread (a pseudo handle), DuplicateHandle of it
// (or of any handle) into a real one, GetThreadId. OpenThread lives with the
// thread times (platform/kernel32/ThreadTimes.h) and gives the same kind of handle.
//
// A thread handle names one thread: it remembers the thread's start time, so
// after the thread has ended a handle never reaches a later thread that got
// the same id. Thread handles serve QueueUserAPC and the thread calls; they
// are not waitable (a wait on one fails with ERROR_INVALID_HANDLE: wait for
// an event that the thread signals instead).
#pragma once

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/WinTypes.h"

#include <cstdint>
#include <memory>
#include <mutex>

namespace platform {

namespace detail {
class ThreadState;
}

class ThreadHandleObject : public KernelObject {
public:
    explicit ThreadHandleObject(DWORD threadId);
    ThreadHandleObject(DWORD threadId, std::shared_ptr<detail::ThreadState> state);

    DWORD Tid() const { return m_threadId; }
    // The thread's state for queued calls; null when the thread has ended.
    std::shared_ptr<detail::ThreadState> State();

private:
    const DWORD m_threadId;
    const std::uint64_t m_startTime;
    std::mutex m_lock;
    std::weak_ptr<detail::ThreadState> m_state;
    bool m_resolved = false;
};

// The thread behind a handle or the pseudo handle of GetCurrentThread; null
// (last error ERROR_INVALID_HANDLE) otherwise.
std::shared_ptr<detail::ThreadState> ThreadStateOfHandle(HANDLE h);

}  // namespace platform

constexpr DWORD THREAD_SET_CONTEXT = 0x0010;
constexpr DWORD THREAD_ALL_ACCESS = 0x001FFFFF;
constexpr DWORD DUPLICATE_CLOSE_SOURCE = 0x00000001;
constexpr DWORD DUPLICATE_SAME_ACCESS = 0x00000002;

// Pseudo handles: they always mean the calling process and thread, and need
// no closing.
HANDLE GetCurrentProcess();
HANDLE GetCurrentThread();

// Duplicates within this process (both process handles must be
// GetCurrentProcess()). The current-thread pseudo handle becomes a real
// handle on the calling thread; thread handles and events are duplicated;
// other kinds give ERROR_NOT_SUPPORTED. DUPLICATE_CLOSE_SOURCE closes the
// source (also when the duplication fails).
BOOL DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle, HANDLE hTargetProcessHandle,
                     HANDLE* lpTargetHandle, DWORD dwDesiredAccess, BOOL bInheritHandle, DWORD dwOptions);

// The id of the thread behind a thread handle; 0 with ERROR_INVALID_HANDLE.
DWORD GetThreadId(HANDLE Thread);
