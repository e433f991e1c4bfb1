// ThreadState: what the platform layer keeps per thread, for its own use.
//
// A thread's state is made the first time the thread calls a wait, message,
// window or APC function (or when another thread opens it by id). It holds
// the thread's queued asynchronous procedure calls and, once the thread uses
// messages, what the window functions keep for it (their message queue, as
// a ThreadAttachment: the kernel part knows nothing of messages). The state
// outlives the thread as long as some handle or sender still holds it; when
// the thread ends, its state is marked ended, its attachment is told (the
// thread's windows and queue are taken down) and further posts fail.
#pragma once

#include "platform/kernel32/EventCore.h"
#include "platform/kernel32/WinTypes.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <utility>

using ULONG_PTR = std::uintptr_t;
using PAPCFUNC = void (*)(ULONG_PTR);

namespace platform::detail {

// What a higher part of the platform keeps per thread. Told once when the
// thread ends (on that thread, or on the thread that finds it gone).
class ThreadAttachment {
public:
    virtual ~ThreadAttachment() = default;
    virtual void OnThreadEnd() = 0;
};

class ThreadState {
public:
    // The calling thread's state, made and attached on first use.
    static std::shared_ptr<ThreadState> Current();
    // The state of a thread of this process that has one; null otherwise.
    static std::shared_ptr<ThreadState> Find(DWORD threadId);
    // As Find, but also makes a state for a live thread of this process that
    // has not used these services yet, so that calls can be queued for it.
    // Null for an id that is no thread of this process.
    static std::shared_ptr<ThreadState> Open(DWORD threadId);

    explicit ThreadState(DWORD threadId, std::uint64_t startTime);
    ThreadState(const ThreadState&) = delete;
    ThreadState& operator=(const ThreadState&) = delete;
    ~ThreadState();

    DWORD ThreadId() const { return m_threadId; }
    bool HasEnded();

    // Queues a call; FALSE when the thread has ended or no descriptor could
    // be made (last error set).
    bool QueueApc(PAPCFUNC function, ULONG_PTR data);
    // Runs every queued call (also those queued meanwhile); on the owning
    // thread only. True when at least one ran.
    bool RunApcs();
    // Readable while calls are queued.
    int ApcFd() const { return m_apcSignal.Fd(); }

    // The thread's attachment; EnsureAttachment makes it with make(thread id)
    // when there is none (owning thread only; null after the thread ended or
    // when make fails), Attachment gives it or null.
    std::shared_ptr<ThreadAttachment> EnsureAttachment(std::shared_ptr<ThreadAttachment> (*make)(DWORD threadId));
    std::shared_ptr<ThreadAttachment> Attachment();

private:
    friend struct ThreadStateHolder;
    // Takes the thread's services down; unregister also drops the state from
    // the registry of thread ids.
    void OnThreadEnd(bool unregister);

    const DWORD m_threadId;
    const std::uint64_t m_startTime;
    std::mutex m_lock;
    bool m_attached = false;  // guarded by the registry's lock
    bool m_ended = false;
    std::deque<std::pair<PAPCFUNC, ULONG_PTR>> m_apcs;
    FdSignal m_apcSignal;
    std::shared_ptr<ThreadAttachment> m_attachment;
};

// The start time of a thread of this process (from /proc), 0 when there is
// no such thread. Tells a reused thread id from the thread that had it.
std::uint64_t ThreadStartTime(DWORD threadId);

}  // namespace platform::detail
