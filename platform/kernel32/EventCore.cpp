#include "platform/kernel32/EventCore.h"

#include "platform/kernel32/LastError.h"

#include <cerrno>
#include <cstdint>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

namespace {

void WriteOne(int fd)
{
    const std::uint64_t one = 1;
    ssize_t n;
    do {
        n = ::write(fd, &one, sizeof one);
    } while (n < 0 && errno == EINTR);
}

void Drain(int fd)
{
    std::uint64_t value = 0;
    ssize_t n;
    do {
        n = ::read(fd, &value, sizeof value);
    } while (n < 0 && errno == EINTR);
}

}  // namespace

std::shared_ptr<EventCore> EventCore::Create(ResetPolicy policy, bool initiallySignaled)
{
    const int fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return nullptr;
    }
    std::shared_ptr<EventCore> core(new EventCore(fd, policy));
    if (initiallySignaled)
        core->Set();
    return core;
}

EventCore::~EventCore() { ::close(m_fd); }

void EventCore::SetLocked()
{
    if (!m_signaled) {
        m_signaled = true;
        WriteOne(m_fd);
    }
}

void EventCore::ClearLocked()
{
    if (m_signaled) {
        m_signaled = false;
        Drain(m_fd);
    }
}

void EventCore::Set()
{
    std::lock_guard<std::mutex> g(m_lock);
    SetLocked();
}

void EventCore::Reset()
{
    std::lock_guard<std::mutex> g(m_lock);
    ClearLocked();
}

bool EventCore::TryTake()
{
    std::lock_guard<std::mutex> g(m_lock);
    if (!m_signaled)
        return false;
    TakeLocked();
    return true;
}

bool EventCore::IsSignaled()
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_signaled;
}

void EventCore::TakeLocked()
{
    if (m_policy == ResetPolicy::Automatic)
        ClearLocked();
}

FdSignal::FdSignal() : m_fd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

FdSignal::~FdSignal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void FdSignal::Set(bool on)
{
    if (m_fd < 0 || on == m_on)
        return;
    m_on = on;
    if (on)
        WriteOne(m_fd);
    else
        Drain(m_fd);
}

}  // namespace platform
