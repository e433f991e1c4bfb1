#include "CustomCode/Common/cmWaitForEvents.h"

#include "platform/kernel32/ThreadTimes.h"
#include "platform/kernel32/Wait.h"
#include "platform/user32/WinUser.h"

#include <algorithm>

cmWaitForEvents::~cmWaitForEvents() = default;

void cmPumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HANDLE cmWaitForEvents::Wait(const std::vector<HANDLE>& handles, DWORD dwTimeout, bool bPump)
{
    std::vector<HANDLE> unique;
    for (HANDLE h : handles) {
        if (std::find(unique.begin(), unique.end(), h) == unique.end())
            unique.push_back(h);
    }
    if (unique.empty() || unique.size() > MAXIMUM_WAIT_OBJECTS)
        return nullptr;
    const DWORD n = static_cast<DWORD>(unique.size());

    if (!bPump) {
        const DWORD r = WaitForMultipleObjects(n, unique.data(), FALSE, dwTimeout);
        if (r < WAIT_OBJECT_0 + n)
            return unique[r - WAIT_OBJECT_0];
        return r == WAIT_TIMEOUT ? TimedOut() : nullptr;
    }

    LARGE_INTEGER freq, start, now;
    QueryPerformanceFrequency(&freq);
    QueryPerformanceCounter(&start);
    const LONGLONG ticksPerMs = std::max<LONGLONG>(1, freq.QuadPart / 1000);
    DWORD remaining = dwTimeout;
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(n, unique.data(), FALSE, remaining, QS_ALLINPUT);
        if (r < WAIT_OBJECT_0 + n)
            return unique[r - WAIT_OBJECT_0];
        if (r == WAIT_TIMEOUT)
            return TimedOut();
        if (r != WAIT_OBJECT_0 + n)
            return nullptr;
        OnMessage();
        cmPumpMessages();
        if (dwTimeout == INFINITE)
            continue;
        QueryPerformanceCounter(&now);
        const LONGLONG elapsed = (now.QuadPart - start.QuadPart) / ticksPerMs;
        if (elapsed >= static_cast<LONGLONG>(dwTimeout))
            return TimedOut();
        remaining = dwTimeout - static_cast<DWORD>(elapsed);
    }
}

int cmWaitForEvents::WaitOne(HANDLE hHandle, DWORD dwTimeout, bool bPump)
{
    const HANDLE h = Wait({hHandle}, dwTimeout, bPump);
    if (h == hHandle)
        return 0;
    if (h == TimedOut())
        return 258;
    return h == nullptr ? -1 : 1;
}
