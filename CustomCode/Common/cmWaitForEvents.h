// cmWaitForEvents: waiting for the first of several handles, optionally
// keeping the calling thread's window messages moving meanwhile (so that
// windows, timers and queued messages of the thread are served while it
// waits, as a modal loop would).
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstdint>
#include <vector>

class cmWaitForEvents {
public:
    // What Wait gives when the time ran out.
    static HANDLE TimedOut() { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1)); }

    cmWaitForEvents() = default;
    virtual ~cmWaitForEvents();

    // The handle that was signalled; TimedOut() when dwTimeout milliseconds
    // passed (0xFFFFFFFF: no limit); null for an empty list or a failed wait.
    // A handle listed twice is waited on once. With bPump, every window
    // message that arrives is translated and dispatched (after OnMessage) and
    // the wait goes on for the time that remains.
    HANDLE Wait(const std::vector<HANDLE>& handles, DWORD dwTimeout, bool bPump);
    // One handle: 0 when it fired, 258 on time-out, 1 for anything else, -1
    // when the wait failed.
    int WaitOne(HANDLE hHandle, DWORD dwTimeout, bool bPump);

protected:
    // Called when a window message arrives during a pumping wait.
    virtual void OnMessage() {}
};

// Translates and dispatches every message waiting in the calling thread's queue.
void cmPumpMessages();
