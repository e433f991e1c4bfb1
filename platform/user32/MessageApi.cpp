// The message calls of platform/user32/WinUser.h: posting, sending, retrieval,
// dispatch and broadcast.
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/RuntimeDir.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/MessagePump.h"
#include "platform/user32/MessageRegistration.h"
#include "platform/user32/ThreadLoop.h"
#include "platform/user32/WinUser.h"
#include "platform/user32/WindowDatagram.h"
#include "platform/user32/WindowSocket.h"
#include "platform/user32/WindowTable.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <unistd.h>

namespace platform::detail {

namespace {

// Sends and replies are matched by a number unique in this process.
std::atomic<std::uint64_t> g_sequence{1};

// How long a post waits for a receiver whose socket queue is full.
constexpr DWORD kPostRetryMs = 1000;

std::shared_ptr<MessageQueue> MyQueue() { return EnsureThreadQueue(*ThreadState::Current()); }

const HWND kThreadMessagesOnly = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));

}  // namespace

void CollectInput(MessageQueue& queue)
{
    const DWORD pid = GetCurrentProcessId();
    for (const auto& [fd, serial] : queue.Sockets()) {
        // Bounded per call: the descriptor stays readable, so a flood is
        // taken in turns with the rest of the thread's work.
        for (int i = 0; i < 256; ++i) {
            WindowDatagram d;
            std::string from;
            unsigned uid = 0;
            const ReceiveOutcome got = ReceiveWindowDatagram(fd, d, from, uid);
            if (got == ReceiveOutcome::Empty)
                break;
            if (got == ReceiveOutcome::Dropped || d.targetWindow != serial || !AcceptsWindowSender(uid))
                continue;
            const HWND hwnd = MakeHwnd(pid, serial);
            if (d.kind == DatagramKind::Post) {
                MSG m{};
                m.hwnd = hwnd;
                m.message = d.message;
                m.wParam = static_cast<WPARAM>(d.wParam);
                m.lParam = static_cast<LPARAM>(d.lParam);
                m.time = TickCount();
                queue.Post(m);  // a full queue drops it, as a full Windows queue does
            } else if (d.kind == DatagramKind::Send) {
                auto s = std::make_shared<SentMessage>();
                s->hwnd = hwnd;
                s->message = d.message;
                s->wParam = static_cast<WPARAM>(d.wParam);
                s->lParam = static_cast<LPARAM>(d.lParam);
                s->remote = true;
                s->replyAddress = from;
                s->sequence = d.sequence;
                queue.Send(s);
            }
        }
    }
}

bool ServeSentMessages(MessageQueue& queue)
{
    bool any = false;
    while (auto m = queue.TakeSent()) {
        any = true;
        auto w = FindLocalWindow(m->hwnd);
        if (!w || w->threadId != GetCurrentThreadId()) {
            m->Complete(0, false);
            continue;
        }
        const LRESULT r = CallWindowProcedure(*w, m->message, m->wParam, m->lParam);
        m->Complete(r, true);
    }
    return any;
}

namespace {

struct RemoteSend {
    std::uint64_t sequence = 0;
    unsigned uid = 0;  // the user whose window it was sent to: only that user answers
    DWORD pid = 0;
    DWORD window = 0;
    UINT message = 0;
    bool done = false;
    LRESULT result = 0;
};

void TakeReplies(int replyFd, std::vector<RemoteSend>& remotes)
{
    for (;;) {
        WindowDatagram d;
        std::string from;
        unsigned uid = 0;
        const ReceiveOutcome got = ReceiveWindowDatagram(replyFd, d, from, uid);
        if (got == ReceiveOutcome::Empty)
            return;
        if (got != ReceiveOutcome::Got || d.kind != DatagramKind::Reply)
            continue;
        for (RemoteSend& r : remotes) {
            if (!r.done && r.uid == uid && r.sequence == d.sequence && r.pid == d.senderPid &&
                r.window == d.targetWindow && r.message == d.message) {
                r.done = true;
                r.result = static_cast<LRESULT>(d.result);
            }
        }
    }
}

// Waits until every send is answered or the time is up, serving the messages
// sent to this thread meanwhile (two threads that send to each other never
// deadlock).
void AwaitSends(MessageQueue& q, const std::vector<std::shared_ptr<SentMessage>>& locals,
                std::vector<RemoteSend>& remotes, DWORD timeoutMs)
{
    using Clock = std::chrono::steady_clock;
    const bool limited = timeoutMs != 0xFFFFFFFF;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeoutMs : 0);
    const int replyFd = remotes.empty() ? -1 : ThreadReplySocket();
    for (;;) {
        q.ClearReply();
        CollectInput(q);
        ServeSentMessages(q);
        if (replyFd >= 0)
            TakeReplies(replyFd, remotes);
        bool all = true;
        for (const auto& m : locals) {
            LRESULT r = 0;
            bool delivered = false;
            if (!m->IsDone(r, delivered))
                all = false;
        }
        for (const RemoteSend& r : remotes) {
            if (!r.done)
                all = false;
        }
        if (all)
            return;
        DWORD left = 0xFFFFFFFF;
        if (limited) {
            const auto now = Clock::now();
            if (now >= deadline)
                return;
            const auto us = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now).count();
            left = static_cast<DWORD>((us + 999) / 1000);
        }
        std::vector<int> fds{q.SentFd(), q.ReplyFd(), replyFd};
        for (const auto& s : q.Sockets())
            fds.push_back(s.first);
        WaitReadable(fds, left, false);
    }
}

WindowDatagram MakeDatagram(DatagramKind kind, DWORD window, UINT msg, WPARAM wParam, LPARAM lParam,
                            std::uint64_t sequence)
{
    WindowDatagram d;
    d.kind = kind;
    d.targetWindow = window;
    d.message = msg;
    d.wParam = static_cast<std::uint64_t>(wParam);
    d.lParam = static_cast<std::int64_t>(lParam);
    d.sequence = sequence;
    d.senderPid = GetCurrentProcessId();
    return d;
}

// One send to one window. True with the result; false with the last error
// set (ERROR_INVALID_WINDOW_HANDLE, ERROR_TIMEOUT, ERROR_ACCESS_DENIED).
bool SendTo(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam, DWORD localTimeout, DWORD remoteTimeout,
            LRESULT& result)
{
    if (auto w = FindLocalWindow(hWnd)) {
        if (w->threadId == GetCurrentThreadId()) {
            result = CallWindowProcedure(*w, msg, wParam, lParam);
            return true;
        }
        auto q = MyQueue();
        if (!q) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        auto m = std::make_shared<SentMessage>();
        m->hwnd = hWnd;
        m->message = msg;
        m->wParam = wParam;
        m->lParam = lParam;
        m->sender = q;
        if (!w->queue || !w->queue->Send(m)) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        std::vector<RemoteSend> none;
        AwaitSends(*q, {m}, none, localTimeout);
        bool delivered = false;
        if (!m->IsDone(result, delivered)) {
            SetLastError(ERROR_TIMEOUT);
            return false;
        }
        if (!delivered) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return false;
        }
        return true;
    }
    DWORD pid = 0;
    DWORD serial = 0;
    if (!SplitHwnd(hWnd, pid, serial) || pid == GetCurrentProcessId()) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (!IsCrossProcessMessage(msg)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    SocketEntry entry;
    if (!FindWindowSocket(pid, serial, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    auto q = MyQueue();
    if (!q) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    std::vector<RemoteSend> remotes(1);
    remotes[0].sequence = g_sequence.fetch_add(1);
    remotes[0].uid = ::geteuid();
    remotes[0].pid = pid;
    remotes[0].window = serial;
    remotes[0].message = msg;
    ThreadReplySocket();  // bound before sending, so the answer has somewhere to go
    const auto started = std::chrono::steady_clock::now();
    const SendOutcome sent = SendToWindowSocket(
        entry, MakeDatagram(DatagramKind::Send, serial, msg, wParam, lParam, remotes[0].sequence), remoteTimeout);
    if (sent == SendOutcome::Stale || sent == SendOutcome::Failed) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return false;
    }
    if (sent == SendOutcome::Busy) {
        SetLastError(ERROR_TIMEOUT);
        return false;
    }
    const auto spent = static_cast<DWORD>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started).count());
    AwaitSends(*q, {}, remotes, remoteTimeout > spent ? remoteTimeout - spent : 0);
    if (!remotes[0].done) {
        SetLastError(ERROR_TIMEOUT);
        return false;
    }
    result = remotes[0].result;
    return true;
}

bool ValidFilterWindow(HWND hWnd)
{
    if (hWnd == nullptr || hWnd == kThreadMessagesOnly)
        return true;
    if (FindLocalWindow(hWnd))
        return true;
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
}

bool Peek(MessageQueue& q, MSG& out, const MessageFilter& f, bool remove)
{
    CollectInput(q);
    ServeSentMessages(q);
    q.ClearPostedNew();
    return q.TakePosted(out, f, remove) || q.TakeQuit(out, remove) || q.TakeTimer(out, f, remove);
}

// Sleeps until something new may pass the filter: a new post, a sent
// message, a datagram, or the first timer the filter lets through. Messages
// already in the queue that the filter leaves behind do not wake it.
void WaitForNewInput(MessageQueue& q, const MessageFilter& f)
{
    std::vector<int> fds{q.PostedNewFd(), q.SentFd()};
    for (const auto& s : q.Sockets())
        fds.push_back(s.first);
    WaitReadable(fds, q.MsUntilTimer(f), true);
}

}  // namespace

}  // namespace platform::detail

using namespace platform::detail;

BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    std::shared_ptr<MessageQueue> q;
    if (idThread == GetCurrentThreadId())
        q = MyQueue();
    else if (auto state = ThreadState::Find(idThread))
        q = ThreadQueue(*state);
    if (!q) {
        SetLastError(ERROR_INVALID_THREAD_ID);
        return FALSE;
    }
    MSG m{};
    m.message = Msg;
    m.wParam = wParam;
    m.lParam = lParam;
    m.time = TickCount();
    const DWORD err = q->Post(m);
    if (err != ERROR_SUCCESS) {
        SetLastError(err);
        return FALSE;
    }
    return TRUE;
}

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (hWnd == nullptr)
        return PostThreadMessageA(GetCurrentThreadId(), Msg, wParam, lParam);
    if (hWnd == HWND_BROADCAST) {
        if (platform::BroadcastWindowMessage(Msg, wParam, lParam, platform::BroadcastMode::Post, kPostRetryMs) != 0)
            return TRUE;
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (auto w = FindLocalWindow(hWnd)) {
        MSG m{};
        m.hwnd = hWnd;
        m.message = Msg;
        m.wParam = wParam;
        m.lParam = lParam;
        m.time = TickCount();
        const DWORD err = w->queue ? w->queue->Post(m) : ERROR_INVALID_WINDOW_HANDLE;
        if (err != ERROR_SUCCESS) {
            SetLastError(err == ERROR_INVALID_THREAD_ID ? ERROR_INVALID_WINDOW_HANDLE : err);
            return FALSE;
        }
        return TRUE;
    }
    DWORD pid = 0;
    DWORD serial = 0;
    SocketEntry entry;
    if (!SplitHwnd(hWnd, pid, serial) || pid == GetCurrentProcessId() || !FindWindowSocket(pid, serial, entry)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (!platform::IsCrossProcessMessage(Msg)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    switch (SendToWindowSocket(entry, MakeDatagram(platform::DatagramKind::Post, serial, Msg, wParam, lParam, 0),
                               kPostRetryMs)) {
    case SendOutcome::Delivered: return TRUE;
    case SendOutcome::Busy: SetLastError(ERROR_NOT_ENOUGH_QUOTA); return FALSE;
    default: SetLastError(ERROR_INVALID_WINDOW_HANDLE); return FALSE;
    }
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    if (hWnd == HWND_BROADCAST) {
        platform::BroadcastWindowMessage(Msg, wParam, lParam, platform::BroadcastMode::Send, kCrossProcessSendTimeoutMs);
        return 0;
    }
    LRESULT result = 0;
    if (!SendTo(hWnd, Msg, wParam, lParam, 0xFFFFFFFF, kCrossProcessSendTimeoutMs, result))
        return 0;
    return result;
}

LRESULT SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT, UINT uTimeout,
                            PDWORD_PTR lpdwResult)
{
    if (hWnd == HWND_BROADCAST) {
        platform::BroadcastWindowMessage(Msg, wParam, lParam, platform::BroadcastMode::Send, uTimeout);
        if (lpdwResult != nullptr)
            *lpdwResult = 0;
        return TRUE;
    }
    LRESULT result = 0;
    if (!SendTo(hWnd, Msg, wParam, lParam, uTimeout, uTimeout, result))
        return 0;
    if (lpdwResult != nullptr)
        *lpdwResult = static_cast<DWORD_PTR>(result);
    return TRUE;
}

BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg)
{
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ValidFilterWindow(hWnd))
        return FALSE;
    auto q = MyQueue();
    if (!q)
        return FALSE;
    return Peek(*q, *lpMsg, MessageFilter{hWnd, wMsgFilterMin, wMsgFilterMax}, (wRemoveMsg & PM_REMOVE) != 0) ? TRUE
                                                                                                             : FALSE;
}

BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax)
{
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (!ValidFilterWindow(hWnd))
        return -1;
    auto q = MyQueue();
    if (!q) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return -1;
    }
    const MessageFilter f{hWnd, wMsgFilterMin, wMsgFilterMax};
    for (;;) {
        if (Peek(*q, *lpMsg, f, true))
            return lpMsg->message == WM_QUIT ? 0 : 1;
        WaitForNewInput(*q, f);
    }
}

void PostQuitMessage(int nExitCode)
{
    if (auto q = MyQueue())
        q->PostQuit(nExitCode);
}

BOOL WaitMessage()
{
    auto q = MyQueue();
    if (!q) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    CollectInput(*q);
    ServeSentMessages(*q);
    const MessageFilter all{};
    if ((q->Status() & (QS_POSTMESSAGE | QS_TIMER)) == 0)
        WaitForNewInput(*q, all);
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* lpMsg)
{
    if (lpMsg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
        // Only a procedure this thread gave to SetTimer is called: the value
        // comes from a message that anybody in the process could have posted.
        auto proc = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        auto q = MyQueue();
        if (q && q->KnowsTimerProc(proc)) {
            proc(lpMsg->hwnd, WM_TIMER, static_cast<UINT_PTR>(lpMsg->wParam), TickCount());
            return 0;
        }
        SetLastError(ERROR_INVALID_FILTER_PROC);
        return 0;
    }
    if (lpMsg->hwnd == nullptr)
        return 0;
    auto w = FindLocalWindow(lpMsg->hwnd);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (w->threadId != GetCurrentThreadId()) {
        SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
        return 0;
    }
    return CallWindowProcedure(*w, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL TranslateMessage(const MSG*) { return FALSE; }

DWORD GetQueueStatus(UINT flags)
{
    auto q = MyQueue();
    if (!q)
        return 0;
    CollectInput(*q);
    const DWORD bits = q->Status() & flags & 0xFFFF;
    return (bits << 16) | bits;
}

namespace platform {

DWORD BroadcastWindowMessage(UINT Msg, WPARAM wParam, LPARAM lParam, BroadcastMode mode, DWORD timeoutMs)
{
    DWORD delivered = 0;
    auto q = MyQueue();
    std::vector<std::shared_ptr<SentMessage>> locals;
    std::vector<RemoteSend> remotes;

    for (const auto& w : TopLevelWindows()) {
        if (w->destroying)
            continue;
        if (mode == BroadcastMode::Post) {
            MSG m{};
            m.hwnd = w->hwnd;
            m.message = Msg;
            m.wParam = wParam;
            m.lParam = lParam;
            m.time = TickCount();
            if (w->queue && w->queue->Post(m) == ERROR_SUCCESS)
                ++delivered;
        } else if (w->threadId == GetCurrentThreadId()) {
            CallWindowProcedure(*w, Msg, wParam, lParam);
            ++delivered;
        } else if (q && w->queue) {
            auto m = std::make_shared<SentMessage>();
            m->hwnd = w->hwnd;
            m->message = Msg;
            m->wParam = wParam;
            m->lParam = lParam;
            m->sender = q;
            if (w->queue->Send(m))
                locals.push_back(m);
        }
    }

    if (IsCrossProcessMessage(Msg)) {
        const DWORD self = GetCurrentProcessId();
        if (mode == BroadcastMode::Send)
            ThreadReplySocket();
        for (const SocketEntry& e : ListWindowSockets()) {
            if (e.pid == self)
                continue;
            const std::uint64_t seq = mode == BroadcastMode::Send ? g_sequence.fetch_add(1) : 0;
            const auto kind = mode == BroadcastMode::Send ? DatagramKind::Send : DatagramKind::Post;
            const SendOutcome out =
                SendToWindowSocket(e, MakeDatagram(kind, e.window, Msg, wParam, lParam, seq), std::min(timeoutMs, kPostRetryMs));
            if (out != SendOutcome::Delivered)
                continue;
            if (mode == BroadcastMode::Post) {
                ++delivered;
            } else {
                RemoteSend r;
                r.sequence = seq;
                r.uid = ::geteuid();
                r.pid = e.pid;
                r.window = e.window;
                r.message = Msg;
                remotes.push_back(r);
            }
        }
    }

    if (mode == BroadcastMode::Send && q && (!locals.empty() || !remotes.empty())) {
        AwaitSends(*q, locals, remotes, timeoutMs);
        for (const auto& m : locals) {
            LRESULT r = 0;
            bool ok = false;
            if (m->IsDone(r, ok) && ok)
                ++delivered;
        }
        for (const RemoteSend& r : remotes) {
            if (r.done)
                ++delivered;
        }
    }
    return delivered;
}

DWORD BroadcastToUserSession(unsigned uid, const char* messageName, WPARAM wParam, LPARAM lParam, DWORD timeoutMs)
{
    auto q = MyQueue();
    if (!q || messageName == nullptr)
        return 0;
    ThreadReplySocket();  // bound before sending, so the answers have somewhere to go
    std::vector<std::pair<unsigned long, unsigned long>> visited;
    std::vector<RemoteSend> remotes;
    for (const std::string& candidate : RuntimeDirCandidatesForUser(uid)) {
        UserRuntimeDir runtime;
        if (runtime.Open(candidate, uid) != ERROR_SUCCESS ||
            std::find(visited.begin(), visited.end(), runtime.Identity()) != visited.end())
            continue;
        visited.push_back(runtime.Identity());
        // The session's own id for the name; its windows know no other.
        UINT msg = 0;
        UserRuntimeDir windows;
        if (!FindRegisteredMessage(runtime, messageName, msg) || !IsCrossProcessMessage(msg) ||
            runtime.OpenSubFolder("windows", windows) != ERROR_SUCCESS)
            continue;
        const std::string dir = windows.Path();
        for (const SocketEntry& e : ListWindowSockets(dir)) {
            const std::uint64_t seq = g_sequence.fetch_add(1);
            const SendOutcome out =
                SendToWindowSocket(dir, e, MakeDatagram(DatagramKind::Send, e.window, msg, wParam, lParam, seq),
                                   std::min(timeoutMs, kPostRetryMs));
            if (out != SendOutcome::Delivered)
                continue;
            RemoteSend r;
            r.sequence = seq;
            r.uid = uid;
            r.pid = e.pid;
            r.window = e.window;
            r.message = msg;
            remotes.push_back(r);
        }
    }
    if (remotes.empty())
        return 0;
    AwaitSends(*q, {}, remotes, timeoutMs);
    DWORD delivered = 0;
    for (const RemoteSend& r : remotes) {
        if (r.done)
            ++delivered;
    }
    return delivered;
}

}  // namespace platform
