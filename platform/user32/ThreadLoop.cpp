#include "platform/user32/ThreadLoop.h"

#include "platform/kernel32/ThreadState.h"
#include "platform/user32/MessagePump.h"
#include "platform/user32/WinUser.h"

#include <cerrno>
#include <chrono>
#include <climits>
#include <poll.h>

namespace platform {

namespace {
thread_local ThreadLoopDriver* t_driver = nullptr;
}

std::vector<int> ThreadLoop::Descriptors()
{
    auto queue = detail::ThreadState::Current()->EnsureQueue();
    return queue ? queue->Descriptors() : std::vector<int>();
}

void ThreadLoop::SetDescriptorsChangedCallback(std::function<void()> callback)
{
    if (auto queue = detail::ThreadState::Current()->EnsureQueue())
        queue->SetDescriptorsChanged(std::move(callback));
}

bool ThreadLoop::DispatchPending(int* exitCode)
{
    MSG msg{};
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            if (exitCode != nullptr)
                *exitCode = static_cast<int>(msg.wParam);
            return false;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

void ThreadLoop::SetDriver(ThreadLoopDriver* driver) { t_driver = driver; }

ThreadLoopDriver* ThreadLoop::Driver() { return t_driver; }

namespace detail {

bool WaitReadable(const std::vector<int>& fds, DWORD timeoutMs, bool useDriver)
{
    if (useDriver && t_driver != nullptr)
        return t_driver->WaitForDescriptors(fds, timeoutMs);
    std::vector<pollfd> p;
    p.reserve(fds.size());
    for (int fd : fds) {
        if (fd >= 0)
            p.push_back(pollfd{fd, POLLIN, 0});
    }
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        int ms = -1;
        if (timeoutMs != 0xFFFFFFFF) {
            const auto elapsed =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
            const long long left = static_cast<long long>(timeoutMs) - elapsed;
            if (left <= 0 && elapsed > 0)
                return false;
            ms = static_cast<int>(std::min<long long>(std::max<long long>(left, 0), INT_MAX));
        }
        const int rc = ::poll(p.data(), static_cast<nfds_t>(p.size()), ms);
        if (rc > 0)
            return true;
        if (rc == 0)
            return false;
        if (errno != EINTR)
            return false;
    }
}

}  // namespace detail

}  // namespace platform
