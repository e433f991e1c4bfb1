#include "platform/user32/ThreadLoop.h"

#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WaitEngine.h"
#include "platform/user32/MessagePump.h"
#include "platform/user32/WinUser.h"

namespace platform {

namespace {
thread_local ThreadLoopDriver* t_driver = nullptr;
}

std::vector<int> ThreadLoop::Descriptors()
{
    auto queue = detail::EnsureThreadQueue(*detail::ThreadState::Current());
    return queue ? queue->Descriptors() : std::vector<int>();
}

void ThreadLoop::SetDescriptorsChangedCallback(std::function<void()> callback)
{
    if (auto queue = detail::EnsureThreadQueue(*detail::ThreadState::Current()))
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
    return PollReadable(fds, timeoutMs);
}

}  // namespace detail

}  // namespace platform
