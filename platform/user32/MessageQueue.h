// MessageQueue: one thread's message queue, for the platform layer's own use.
//
// It holds the posted messages (in order), the messages sent to the thread's
// windows from other threads and processes, the quit request, and the
// thread's timers. Every kind of pending input has a descriptor that is
// readable exactly while that input waits (level-triggered), so that the
// thread's loop, or an outside loop, sleeps in poll() and never loses a
// wake-up: the posted-messages signal, the sent-messages signal, one timerfd
// armed for the earliest timer, the reply signal for the thread's own sends,
// and the sockets of its top-level windows.
//
// Other threads post, send, quit and set timers; only the owning thread
// takes input out.
#pragma once

#include "platform/kernel32/EventCore.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/user32/WinUser.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace platform::detail {

// Milliseconds since an arbitrary start, as GetTickCount counts them (the
// time of queued messages).
DWORD TickCount();

struct MessageFilter {
    HWND hwnd = nullptr;  // NULL: any; (HWND)-1: thread messages only; else that window and its children
    UINT min = 0;
    UINT max = 0;

    bool MatchesMessage(UINT message) const
    {
        return (min == 0 && max == 0) || (message >= min && message <= max);
    }
    bool MatchesWindow(HWND target) const;
};

class MessageQueue;

// A message for a window of another thread, or from another process, until
// the window's thread has handled it. The sender waits for the completion.
class SentMessage {
public:
    HWND hwnd = nullptr;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;

    // A sender of this process: its queue gets a reply signal on completion.
    std::weak_ptr<MessageQueue> sender;
    // A sender in another process: where the answer goes.
    bool remote = false;
    std::string replyAddress;  // raw socket address bytes
    std::uint64_t sequence = 0;

    // Records the outcome once (later calls are ignored) and tells the sender.
    // delivered is false when the window or its thread went away first.
    void Complete(LRESULT result, bool delivered);
    bool IsDone(LRESULT& result, bool& delivered);

private:
    std::mutex m_lock;
    bool m_done = false;
    bool m_delivered = false;
    LRESULT m_result = 0;
};

// The queue is what the window functions attach to a thread's state; it
// lives as long as the state (or a window or sender still holding it).
class MessageQueue : public ThreadAttachment {
public:
    static std::shared_ptr<MessageQueue> Create(DWORD threadId);

    explicit MessageQueue(DWORD threadId);
    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;
    ~MessageQueue() override;

    // The thread has ended: its windows go with it (without messages: their
    // procedures cannot run any more), and senders waiting on it are released.
    void OnThreadEnd() override;

    DWORD ThreadId() const { return m_threadId; }
    int PostedFd() const { return m_posted.Fd(); }
    int SentFd() const { return m_sent.Fd(); }
    int TimerFd() const { return m_timerFd; }
    int ReplyFd() const { return m_reply.Fd(); }
    // Readable when a message was posted (or quit asked) since the owner last
    // looked at the posted messages: what a filtered GetMessageA waits for,
    // as messages that its filter leaves behind must not keep it awake.
    int PostedNewFd() const { return m_postedNew.Fd(); }

    // --- any thread ---
    // ERROR_SUCCESS, ERROR_INVALID_THREAD_ID when the thread has ended,
    // ERROR_NOT_ENOUGH_QUOTA when the queue is full.
    DWORD Post(const MSG& msg);
    // False when the thread has ended (the message is not taken then).
    bool Send(const std::shared_ptr<SentMessage>& message);
    void PostQuit(int exitCode);
    // One of this thread's own sends has completed.
    void SignalReply();
    // The thread has ended: pending sends complete undelivered, posts fail.
    void Close();
    bool IsClosed();

    // False when the thread has ended. A new thread timer's id is put in id.
    bool SetTimer(HWND hwnd, UINT_PTR& id, UINT elapse, TIMERPROC proc);
    bool KillTimer(HWND hwnd, UINT_PTR id);
    void KillWindowTimers(HWND hwnd);

    // --- owning thread ---
    std::shared_ptr<SentMessage> TakeSent();
    void ClearPostedNew();
    bool TakePosted(MSG& out, const MessageFilter& filter, bool remove);
    bool TakeQuit(MSG& out, bool remove);
    bool TakeTimer(MSG& out, const MessageFilter& filter, bool remove);
    // The QS_* kinds of input waiting now.
    DWORD Status();
    // Milliseconds until the first timer that passes the filter is due (0:
    // one is due), 0xFFFFFFFF when there is none.
    DWORD MsUntilTimer(const MessageFilter& filter);
    // Whether proc was given to SetTimer on this queue (a WM_TIMER naming any
    // other procedure is never called).
    bool KnowsTimerProc(TIMERPROC proc);
    void ClearReply();

    // Sockets of the thread's top-level windows, read by the owning thread.
    void AddSocket(int fd, DWORD windowSerial);
    void RemoveSocket(int fd);
    std::vector<std::pair<int, DWORD>> Sockets();

    // The descriptors an outside loop watches for this thread (not the APC
    // signal), and a callback for when that set changes.
    std::vector<int> Descriptors();
    void SetDescriptorsChanged(std::function<void()> callback);

private:
    using Clock = std::chrono::steady_clock;
    struct Timer {
        HWND hwnd;
        UINT_PTR id;
        UINT interval;
        TIMERPROC proc;
        Clock::time_point due;
    };

    void UpdatePostedLocked();
    void RearmLocked();
    void NotifyDescriptorsChanged();

    const DWORD m_threadId;
    std::mutex m_lock;
    bool m_closed = false;
    std::deque<MSG> m_postedMessages;
    bool m_quit = false;
    int m_quitCode = 0;
    std::deque<std::shared_ptr<SentMessage>> m_sentMessages;
    std::vector<Timer> m_timers;
    std::set<TIMERPROC> m_timerProcs;
    UINT_PTR m_nextThreadTimerId = 1;
    std::vector<std::pair<int, DWORD>> m_sockets;
    std::function<void()> m_descriptorsChanged;
    FdSignal m_posted;
    FdSignal m_postedNew;
    FdSignal m_sent;
    FdSignal m_reply;
    int m_timerFd = -1;
};

// The message queue of the thread whose state this is: EnsureThreadQueue
// makes it (owning thread only; null when the thread has ended or the queue
// cannot be made), ThreadQueue gives it or null.
std::shared_ptr<MessageQueue> EnsureThreadQueue(ThreadState& state);
std::shared_ptr<MessageQueue> ThreadQueue(ThreadState& state);

}  // namespace platform::detail
