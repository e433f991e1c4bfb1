#include "CustomCode/Common/cmsTimer.h"

#include <map>

namespace {

// The timer procedure receives only the timer's id; this per-thread table
// leads from the id to its object (timers belong to the thread that set them).
std::map<UINT_PTR, cmsTimer*>& TimersOfThisThread()
{
    thread_local std::map<UINT_PTR, cmsTimer*> timers;
    return timers;
}

}  // namespace

cmsTimer::~cmsTimer() { StopTimer(); }

void cmsTimer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {}

void cmsTimer::CALLBACK_TimerProc(HWND hWnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime)
{
    const auto it = TimersOfThisThread().find(idEvent);
    if (it != TimersOfThisThread().end())
        it->second->OnTimer(hWnd, uMsg, idEvent, dwTime);
}

bool cmsTimer::StartTimer(UINT uIntervalMs)
{
    if (m_idTimer != 0)
        StopTimer();
    m_idTimer = SetTimer(nullptr, 0, uIntervalMs, &cmsTimer::CALLBACK_TimerProc);
    if (m_idTimer != 0)
        TimersOfThisThread()[m_idTimer] = this;
    return m_idTimer != 0;
}

void cmsTimer::StopTimer()
{
    if (m_idTimer == 0)
        return;
    if (KillTimer(nullptr, m_idTimer)) {
        TimersOfThisThread().erase(m_idTimer);
        m_idTimer = 0;
    }
}
