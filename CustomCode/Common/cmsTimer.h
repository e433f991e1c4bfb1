// cmsTimer: a timer of the thread that starts it, bound to an object. Its
// OnTimer runs from that thread's message loop (or a pumping wait).
#pragma once

#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

class cmsTimer {
public:
    cmsTimer() = default;
    cmsTimer(const cmsTimer&) = delete;
    cmsTimer& operator=(const cmsTimer&) = delete;
    // Stops the timer.
    virtual ~cmsTimer();

    // Starts (or restarts) the timer with that interval; false when the
    // thread cannot have one.
    bool StartTimer(UINT uIntervalMs);
    // Stops it; the id is forgotten only when that worked.
    void StopTimer();
    UINT_PTR GetTimerId() const { return m_idTimer; }

protected:
    virtual void OnTimer(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

private:
    static void CALLBACK_TimerProc(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);
    UINT_PTR m_idTimer = 0;
};
