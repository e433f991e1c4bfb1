#include "platform/user32/MessageQueue.h"

#include "platform/kernel32/TickCount.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/WindowSocket.h"
#include "platform/user32/WindowTable.h"

#include <algorithm>
#include <ctime>
#include <sys/timerfd.h>
#include <unistd.h>

namespace platform::detail {

DWORD TickCount() { return GetTickCount(); }

bool MessageFilter::MatchesWindow(HWND target) const
{
    if (hwnd == nullptr)
        return true;
    if (hwnd == reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)))
        return target == nullptr;
    return target != nullptr && IsSameOrDescendant(target, hwnd);
}

void SentMessage::Complete(LRESULT result, bool delivered)
{
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_done)
            return;
        m_done = true;
        m_result = result;
        m_delivered = delivered;
    }
    if (remote) {
        DWORD pid = 0;
        DWORD window = 0;
        if (delivered && SplitHwnd(hwnd, pid, window)) {
            WindowDatagram reply;
            reply.kind = DatagramKind::Reply;
            reply.targetWindow = window;
            reply.message = message;
            reply.sequence = sequence;
            reply.result = result;
            reply.senderPid = pid;
            SendRemoteReply(replyAddress, reply);
        }
        return;
    }
    if (auto queue = sender.lock())
        queue->SignalReply();
}

bool SentMessage::IsDone(LRESULT& result, bool& delivered)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_done)
        return false;
    result = m_result;
    delivered = m_delivered;
    return true;
}

std::shared_ptr<MessageQueue> MessageQueue::Create(DWORD threadId)
{
    auto queue = std::make_shared<MessageQueue>(threadId);
    if (!queue->m_posted.Valid() || !queue->m_postedNew.Valid() || !queue->m_sent.Valid() || !queue->m_reply.Valid() || queue->m_timerFd < 0)
        return nullptr;
    return queue;
}

MessageQueue::MessageQueue(DWORD threadId)
    : m_threadId(threadId), m_timerFd(::timerfd_create(CLOCK_MONOTONIC, TFD_CLOEXEC | TFD_NONBLOCK))
{
}

MessageQueue::~MessageQueue()
{
    if (m_timerFd >= 0)
        ::close(m_timerFd);
}

void MessageQueue::OnThreadEnd()
{
    Close();
    ReleaseThreadWindows(m_threadId);
}

namespace {

std::shared_ptr<ThreadAttachment> MakeQueue(DWORD threadId) { return MessageQueue::Create(threadId); }

}  // namespace

// Only this file attaches anything to a thread's state, so the attachment is
// always a queue.
std::shared_ptr<MessageQueue> EnsureThreadQueue(ThreadState& state)
{
    return std::static_pointer_cast<MessageQueue>(state.EnsureAttachment(&MakeQueue));
}

std::shared_ptr<MessageQueue> ThreadQueue(ThreadState& state)
{
    return std::static_pointer_cast<MessageQueue>(state.Attachment());
}

void MessageQueue::UpdatePostedLocked() { m_posted.Set(!m_postedMessages.empty() || m_quit); }

DWORD MessageQueue::Post(const MSG& msg)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (m_closed)
        return ERROR_INVALID_THREAD_ID;
    if (m_postedMessages.size() >= kPostedMessageLimit)
        return ERROR_NOT_ENOUGH_QUOTA;
    m_postedMessages.push_back(msg);
    UpdatePostedLocked();
    m_postedNew.Set(true);
    return ERROR_SUCCESS;
}

bool MessageQueue::Send(const std::shared_ptr<SentMessage>& message)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (m_closed)
        return false;
    m_sentMessages.push_back(message);
    m_sent.Set(true);
    return true;
}

void MessageQueue::PostQuit(int exitCode)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (m_closed)
        return;
    m_quit = true;
    m_quitCode = exitCode;
    UpdatePostedLocked();
    m_postedNew.Set(true);
}

void MessageQueue::SignalReply()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_reply.Set(true);
}

void MessageQueue::ClearReply()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_reply.Set(false);
}

void MessageQueue::Close()
{
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_closed)
            return;
        m_closed = true;
        pending.swap(m_sentMessages);
        m_postedMessages.clear();
        m_quit = false;
        m_timers.clear();
        m_sockets.clear();
        m_descriptorsChanged = nullptr;
        m_sent.Set(false);
        m_postedNew.Set(false);
        UpdatePostedLocked();
        RearmLocked();
    }
    for (auto& m : pending)
        m->Complete(0, false);
}

bool MessageQueue::IsClosed()
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_closed;
}

void MessageQueue::RearmLocked()
{
    itimerspec expiry{};
    if (!m_timers.empty()) {
        auto earliest = std::min_element(m_timers.begin(), m_timers.end(),
                                         [](const Timer& a, const Timer& b) { return a.due < b.due; })
                            ->due;
        const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(earliest.time_since_epoch()).count();
        // An all-zero value would disarm the timer; a time in the past fires at once.
        const long long at = std::max<long long>(ns, 1);
        expiry.it_value.tv_sec = static_cast<time_t>(at / 1000000000LL);
        expiry.it_value.tv_nsec = static_cast<long>(at % 1000000000LL);
    }
    // Setting the time also drops an expiry not yet read, so the descriptor is
    // readable exactly while the earliest timer is due.
    ::timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME, &expiry, nullptr);
}

bool MessageQueue::SetTimer(HWND hwnd, UINT_PTR& id, UINT elapse, TIMERPROC proc)
{
    elapse = std::clamp(elapse, USER_TIMER_MINIMUM, USER_TIMER_MAXIMUM);
    std::lock_guard<std::mutex> g(m_lock);
    if (m_closed)
        return false;
    auto existing = std::find_if(m_timers.begin(), m_timers.end(),
                                 [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (hwnd == nullptr && existing == m_timers.end()) {
        // A new thread timer gets an id of its own; the id asked for only
        // matters when it names a timer of this thread.
        do {
            id = m_nextThreadTimerId++;
            if (m_nextThreadTimerId == 0 || m_nextThreadTimerId > 0x7FFF)
                m_nextThreadTimerId = 1;
        } while (std::any_of(m_timers.begin(), m_timers.end(),
                             [&](const Timer& t) { return t.hwnd == nullptr && t.id == id; }));
    }
    const Timer timer{hwnd, id, elapse, proc, Clock::now() + std::chrono::milliseconds(elapse)};
    if (existing != m_timers.end())
        *existing = timer;
    else
        m_timers.push_back(timer);
    if (proc != nullptr)
        m_timerProcs.insert(proc);
    RearmLocked();
    return true;
}

bool MessageQueue::KillTimer(HWND hwnd, UINT_PTR id)
{
    std::lock_guard<std::mutex> g(m_lock);
    auto it = std::find_if(m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.hwnd == hwnd && t.id == id; });
    if (it == m_timers.end())
        return false;
    m_timers.erase(it);
    RearmLocked();
    return true;
}

void MessageQueue::KillWindowTimers(HWND hwnd)
{
    std::lock_guard<std::mutex> g(m_lock);
    const auto before = m_timers.size();
    std::erase_if(m_timers, [&](const Timer& t) { return t.hwnd == hwnd; });
    if (m_timers.size() != before)
        RearmLocked();
}

std::shared_ptr<SentMessage> MessageQueue::TakeSent()
{
    std::lock_guard<std::mutex> g(m_lock);
    if (m_sentMessages.empty())
        return nullptr;
    auto m = std::move(m_sentMessages.front());
    m_sentMessages.pop_front();
    m_sent.Set(!m_sentMessages.empty());
    return m;
}

void MessageQueue::ClearPostedNew()
{
    std::lock_guard<std::mutex> g(m_lock);
    m_postedNew.Set(false);
}

bool MessageQueue::TakePosted(MSG& out, const MessageFilter& filter, bool remove)
{
    std::lock_guard<std::mutex> g(m_lock);
    for (auto it = m_postedMessages.begin(); it != m_postedMessages.end(); ++it) {
        if (!filter.MatchesMessage(it->message) || !filter.MatchesWindow(it->hwnd))
            continue;
        out = *it;
        if (remove) {
            m_postedMessages.erase(it);
            UpdatePostedLocked();
        }
        return true;
    }
    return false;
}

bool MessageQueue::TakeQuit(MSG& out, bool remove)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_quit)
        return false;
    out = MSG{};
    out.message = WM_QUIT;
    out.wParam = static_cast<WPARAM>(static_cast<std::intptr_t>(m_quitCode));
    out.time = TickCount();
    if (remove) {
        m_quit = false;
        UpdatePostedLocked();
    }
    return true;
}

bool MessageQueue::TakeTimer(MSG& out, const MessageFilter& filter, bool remove)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!filter.MatchesMessage(WM_TIMER))
        return false;
    const auto now = Clock::now();
    Timer* best = nullptr;
    for (Timer& t : m_timers) {
        if (t.due <= now && filter.MatchesWindow(t.hwnd) && (best == nullptr || t.due < best->due))
            best = &t;
    }
    if (best == nullptr)
        return false;
    out = MSG{};
    out.hwnd = best->hwnd;
    out.message = WM_TIMER;
    out.wParam = best->id;
    out.lParam = reinterpret_cast<LPARAM>(best->proc);
    out.time = TickCount();
    if (remove) {
        // The next period starts when this one's message is taken, so a slow
        // loop gets one WM_TIMER per timer, never a backlog.
        best->due = now + std::chrono::milliseconds(best->interval);
        RearmLocked();
    }
    return true;
}

DWORD MessageQueue::Status()
{
    std::lock_guard<std::mutex> g(m_lock);
    DWORD bits = 0;
    if (!m_postedMessages.empty() || m_quit)
        bits |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    if (!m_sentMessages.empty())
        bits |= QS_SENDMESSAGE;
    const auto now = Clock::now();
    if (std::any_of(m_timers.begin(), m_timers.end(), [&](const Timer& t) { return t.due <= now; }))
        bits |= QS_TIMER;
    return bits;
}

DWORD MessageQueue::MsUntilTimer(const MessageFilter& filter)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!filter.MatchesMessage(WM_TIMER))
        return 0xFFFFFFFF;
    const auto now = Clock::now();
    long long best = -1;
    for (const Timer& t : m_timers) {
        if (!filter.MatchesWindow(t.hwnd))
            continue;
        const auto us = std::chrono::duration_cast<std::chrono::microseconds>(t.due - now).count();
        const long long ms = us <= 0 ? 0 : (us + 999) / 1000;
        if (best < 0 || ms < best)
            best = ms;
    }
    return best < 0 ? 0xFFFFFFFF : static_cast<DWORD>(std::min<long long>(best, 0x7FFFFFFF));
}

bool MessageQueue::KnowsTimerProc(TIMERPROC proc)
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_timerProcs.count(proc) != 0;
}

void MessageQueue::AddSocket(int fd, DWORD windowSerial)
{
    {
        std::lock_guard<std::mutex> g(m_lock);
        m_sockets.emplace_back(fd, windowSerial);
    }
    NotifyDescriptorsChanged();
}

void MessageQueue::RemoveSocket(int fd)
{
    {
        std::lock_guard<std::mutex> g(m_lock);
        std::erase_if(m_sockets, [&](const auto& s) { return s.first == fd; });
    }
    NotifyDescriptorsChanged();
}

std::vector<std::pair<int, DWORD>> MessageQueue::Sockets()
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_sockets;
}

std::vector<int> MessageQueue::Descriptors()
{
    std::lock_guard<std::mutex> g(m_lock);
    std::vector<int> fds{m_posted.Fd(), m_sent.Fd(), m_timerFd};
    for (const auto& s : m_sockets)
        fds.push_back(s.first);
    return fds;
}

void MessageQueue::SetDescriptorsChanged(std::function<void()> callback)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_descriptorsChanged = std::move(callback);
}

void MessageQueue::NotifyDescriptorsChanged()
{
    std::function<void()> callback;
    {
        std::lock_guard<std::mutex> g(m_lock);
        callback = m_descriptorsChanged;
    }
    if (callback)
        callback();
}

}  // namespace platform::detail
