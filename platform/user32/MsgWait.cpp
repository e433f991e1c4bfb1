// MsgWaitForMultipleObjects(Ex): the kernel's wait on handles, which also
// ends when message input of the kinds in the wake mask arrives. Its sleep
// goes through the thread's loop driver, so that a GUI toolkit's loop keeps
// running while our code waits.
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/Wait.h"
#include "platform/kernel32/WaitEngine.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/MessagePump.h"
#include "platform/user32/ThreadLoop.h"
#include "platform/user32/WinUser.h"

namespace {

constexpr DWORD kPostedBits = QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;

// The thread's message input as the wait engine sees it.
class QueueInput : public platform::detail::WaitInput {
public:
    QueueInput(platform::detail::MessageQueue& queue, DWORD wakeMask) : m_queue(queue), m_wakeMask(wakeMask) {}

    bool IsReady() override
    {
        platform::detail::CollectInput(m_queue);
        return (m_queue.Status() & m_wakeMask) != 0;
    }

    void AddDescriptors(std::vector<int>& fds) override
    {
        if ((m_wakeMask & kPostedBits) != 0)
            fds.push_back(m_queue.PostedFd());
        if ((m_wakeMask & QS_SENDMESSAGE) != 0)
            fds.push_back(m_queue.SentFd());
        if ((m_wakeMask & QS_TIMER) != 0)
            fds.push_back(m_queue.TimerFd());
        if ((m_wakeMask & (kPostedBits | QS_SENDMESSAGE)) != 0) {
            for (const auto& s : m_queue.Sockets())
                fds.push_back(s.first);
        }
    }

    void Sleep(const std::vector<int>& fds, DWORD timeoutMs) override
    {
        platform::detail::WaitReadable(fds, timeoutMs, true);
    }

private:
    platform::detail::MessageQueue& m_queue;
    const DWORD m_wakeMask;
};

}  // namespace

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
    const auto queue = platform::detail::EnsureThreadQueue(*platform::detail::ThreadState::Current());
    const bool alertable = (dwFlags & MWMO_ALERTABLE) != 0;
    if (nCount == 0 && mask == 0) {
        platform::detail::WaitRequest r;
        r.timeoutMs = dwMilliseconds;
        r.alertable = alertable;
        return platform::detail::RunWait(r);
    }
    if (mask == 0)
        return platform::detail::WaitOnHandles(nCount, pHandles, (dwFlags & MWMO_WAITALL) != 0, dwMilliseconds,
                                               alertable, nullptr, MAXIMUM_WAIT_OBJECTS - 1);
    if (!queue) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return WAIT_FAILED;
    }
    QueueInput input(*queue, mask);
    return platform::detail::WaitOnHandles(nCount, pHandles, (dwFlags & MWMO_WAITALL) != 0, dwMilliseconds, alertable,
                                           &input, MAXIMUM_WAIT_OBJECTS - 1);
}
