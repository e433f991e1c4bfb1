#include "platform/kernel32/ThreadState.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/WinError.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_map>

namespace platform::detail {

namespace {

struct StateRegistry {
    std::mutex lock;
    std::unordered_map<DWORD, std::shared_ptr<ThreadState>> byId;
};

StateRegistry& Registry()
{
    static StateRegistry* registry = new StateRegistry;  // lives until exit, also for thread-exit hooks
    return *registry;
}

}  // namespace

// Ties the state to the thread: its destructor runs when the thread ends.
struct ThreadStateHolder {
    std::shared_ptr<ThreadState> state;
    ~ThreadStateHolder()
    {
        if (state)
            state->OnThreadEnd(true);
    }
};

namespace {
thread_local ThreadStateHolder t_holder;
}

std::uint64_t ThreadStartTime(DWORD threadId)
{
    const std::string path = "/proc/self/task/" + std::to_string(threadId) + "/stat";
    std::FILE* f = std::fopen(path.c_str(), "re");
    if (f == nullptr)
        return 0;
    char buf[1024];
    const std::size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    // The command name is in parentheses and may hold blanks; the fields
    // after its closing parenthesis start with field 3. Start time is field 22.
    const char* p = std::strrchr(buf, ')');
    if (p == nullptr)
        return 0;
    ++p;
    for (int field = 3; field < 22; ++field) {
        while (*p == ' ')
            ++p;
        while (*p != ' ' && *p != '\0')
            ++p;
        if (*p == '\0')
            return 0;
    }
    std::uint64_t value = 0;
    if (std::sscanf(p, " %llu", reinterpret_cast<unsigned long long*>(&value)) != 1)
        return 0;
    return value + 1;  // never 0 for a live thread
}

ThreadState::ThreadState(DWORD threadId, std::uint64_t startTime) : m_threadId(threadId), m_startTime(startTime) {}

ThreadState::~ThreadState() = default;

std::shared_ptr<ThreadState> ThreadState::Current()
{
    if (t_holder.state)
        return t_holder.state;
    const DWORD tid = GetCurrentThreadId();
    StateRegistry& r = Registry();
    std::shared_ptr<ThreadState> state;
    {
        std::lock_guard<std::mutex> g(r.lock);
        auto it = r.byId.find(tid);
        // A state that another thread opened for this id before this thread
        // used it is adopted, unless it was made for an earlier thread that
        // had the same id.
        if (it != r.byId.end() && !it->second->m_attached && it->second->m_startTime == ThreadStartTime(tid))
            state = it->second;
        else {
            if (it != r.byId.end())
                it->second->OnThreadEnd(false);  // its thread is gone
            state = std::make_shared<ThreadState>(tid, 0);
            r.byId[tid] = state;
        }
        std::lock_guard<std::mutex> s(state->m_lock);
        state->m_attached = true;
    }
    t_holder.state = state;
    return state;
}

std::shared_ptr<ThreadState> ThreadState::Find(DWORD threadId)
{
    StateRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.byId.find(threadId);
    return it == r.byId.end() ? nullptr : it->second;
}

std::shared_ptr<ThreadState> ThreadState::Open(DWORD threadId)
{
    if (threadId == 0)
        return nullptr;
    if (threadId == GetCurrentThreadId())
        return Current();
    const std::uint64_t start = ThreadStartTime(threadId);
    StateRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.byId.find(threadId);
    if (it != r.byId.end()) {
        if (it->second->m_attached || (start != 0 && it->second->m_startTime == start))
            return it->second;
        r.byId.erase(it);  // made for an earlier thread of that id
    }
    if (start == 0)
        return nullptr;
    auto state = std::make_shared<ThreadState>(threadId, start);
    r.byId[threadId] = state;
    return state;
}

bool ThreadState::HasEnded()
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_ended;
}

bool ThreadState::QueueApc(PAPCFUNC function, ULONG_PTR data)
{
    std::lock_guard<std::mutex> g(m_lock);
    if (m_ended) {
        SetLastError(ERROR_INVALID_HANDLE);
        return false;
    }
    if (!m_apcSignal.Valid()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    m_apcs.emplace_back(function, data);
    m_apcSignal.Set(true);
    return true;
}

bool ThreadState::RunApcs()
{
    bool ran = false;
    for (;;) {
        std::pair<PAPCFUNC, ULONG_PTR> call;
        {
            std::lock_guard<std::mutex> g(m_lock);
            if (m_apcs.empty()) {
                m_apcSignal.Set(false);
                return ran;
            }
            call = m_apcs.front();
            m_apcs.pop_front();
            m_apcSignal.Set(!m_apcs.empty());
        }
        call.first(call.second);
        ran = true;
    }
}

std::shared_ptr<ThreadAttachment> ThreadState::EnsureAttachment(
    std::shared_ptr<ThreadAttachment> (*make)(DWORD threadId))
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_attachment && !m_ended)
        m_attachment = make(m_threadId);
    return m_attachment;
}

std::shared_ptr<ThreadAttachment> ThreadState::Attachment()
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_attachment;
}

void ThreadState::OnThreadEnd(bool unregister)
{
    std::shared_ptr<ThreadAttachment> attachment;
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_ended)
            return;
        m_ended = true;
        m_apcs.clear();
        m_apcSignal.Set(false);
        attachment = m_attachment;
    }
    if (attachment)
        attachment->OnThreadEnd();
    if (!unregister)
        return;
    StateRegistry& r = Registry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.byId.find(m_threadId);
    if (it != r.byId.end() && it->second.get() == this)
        r.byId.erase(it);
}

}  // namespace platform::detail
