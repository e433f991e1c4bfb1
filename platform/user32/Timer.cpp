// SetTimer and KillTimer: timers live in the message queue of the thread
// that owns them (the calling thread for thread timers, the window's thread
// for window timers) and come out of it as WM_TIMER.
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/MessageQueue.h"
#include "platform/user32/WinUser.h"
#include "platform/user32/WindowTable.h"

namespace {

// The queue that holds the timers of hWnd; null with the last error set.
std::shared_ptr<platform::detail::MessageQueue> TimerQueue(HWND hWnd)
{
    if (hWnd == nullptr) {
        auto q = platform::detail::EnsureThreadQueue(*platform::detail::ThreadState::Current());
        if (!q)
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return q;
    }
    auto w = platform::detail::FindLocalWindow(hWnd);
    if (!w || !w->queue) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return w->queue;
}

}  // namespace

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    auto q = TimerQueue(hWnd);
    if (!q)
        return 0;
    UINT_PTR id = nIDEvent;
    if (!q->SetTimer(hWnd, id, uElapse, lpTimerFunc)) {
        SetLastError(hWnd == nullptr ? ERROR_INVALID_THREAD_ID : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    // A window timer keeps the id it was given, 0 included; success is
    // still reported with a nonzero value.
    return id != 0 ? id : 1;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    auto q = TimerQueue(hWnd);
    if (!q)
        return FALSE;
    if (!q->KillTimer(hWnd, uIDEvent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}
