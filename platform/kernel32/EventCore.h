// EventCore: the signal state behind an event handle, for the platform
// layer's own use (events, waits, thread queues).
//
// The state is a flag under a mutex; an eventfd mirrors it, readable exactly
// while the flag is set, so that a waiter can sleep in poll() on any mix of
// cores and other descriptors and then take the signal under the mutex. An
// auto-reset core gives its signal to exactly one taker.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <memory>
#include <mutex>

namespace platform {

enum class ResetPolicy { Manual, Automatic };

class EventCore {
public:
    // Null (last error set) when no eventfd can be made.
    static std::shared_ptr<EventCore> Create(ResetPolicy policy, bool initiallySignaled);

    EventCore(const EventCore&) = delete;
    EventCore& operator=(const EventCore&) = delete;
    ~EventCore();

    // Readable while signaled.
    int Fd() const { return m_fd; }
    ResetPolicy Policy() const { return m_policy; }

    void Set();
    void Reset();
    // Takes the signal if it is there: an automatic core is reset by it.
    bool TryTake();
    bool IsSignaled();

    // For a wait on several cores at once: the caller locks every core (in
    // address order) and then uses the *Locked calls.
    std::mutex& Mutex() { return m_lock; }
    bool IsSignaledLocked() const { return m_signaled; }
    void TakeLocked();

private:
    EventCore(int fd, ResetPolicy policy) : m_fd(fd), m_policy(policy) {}
    void SetLocked();
    void ClearLocked();

    const int m_fd;
    const ResetPolicy m_policy;
    std::mutex m_lock;
    bool m_signaled = false;
};

// A level signal over an eventfd with no lock of its own: readable while set.
// The owner keeps it in step with its state under the owner's lock.
class FdSignal {
public:
    FdSignal();
    FdSignal(const FdSignal&) = delete;
    FdSignal& operator=(const FdSignal&) = delete;
    ~FdSignal();

    bool Valid() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // Set(true) makes the descriptor readable, Set(false) drains it.
    void Set(bool on);
    bool IsSet() const { return m_on; }

private:
    int m_fd;
    bool m_on = false;
};

}  // namespace platform
