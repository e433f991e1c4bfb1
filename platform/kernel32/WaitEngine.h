// The one wait loop behind every waiting call of the platform layer, for its
// own use.
//
// It polls the descriptors of the objects it waits on, of the thread's
// queued calls (when alertable) and of a further input (when given: the
// window functions' message input), then takes what is ready under the
// owners' locks. Results are those of the Win32 waits: WAIT_OBJECT_0 + i,
// WAIT_OBJECT_0 + objects.size() for the further input, WAIT_IO_COMPLETION,
// WAIT_TIMEOUT.
#pragma once

#include "platform/kernel32/EventCore.h"
#include "platform/kernel32/WinTypes.h"

#include <memory>
#include <vector>

namespace platform::detail {

// A further kind of input that ends a wait, looked at after the objects and
// the queued calls.
class WaitInput {
public:
    virtual ~WaitInput() = default;
    // Takes in what has arrived; true when the wait is met.
    virtual bool IsReady() = 0;
    // The descriptors that become readable when input may have arrived.
    virtual void AddDescriptors(std::vector<int>& fds) = 0;
    // Sleeps until one of fds is readable or timeoutMs passes (0xFFFFFFFF: no
    // limit): how a wait for this input sleeps, so that an outside event loop
    // may run meanwhile.
    virtual void Sleep(const std::vector<int>& fds, DWORD timeoutMs) = 0;
};

struct WaitRequest {
    std::vector<std::shared_ptr<EventCore>> objects;
    bool waitAll = false;
    DWORD timeoutMs = 0xFFFFFFFF;
    bool alertable = false;
    WaitInput* input = nullptr;  // null: no further input
};

DWORD RunWait(const WaitRequest& request);

// A wait on handles as the Win32 waits take them (checked: at most maxCount,
// every one waitable, none twice with waitAll); WAIT_FAILED with the last
// error for bad arguments. With no handles, input must be given.
DWORD WaitOnHandles(DWORD nCount, const HANDLE* lpHandles, bool waitAll, DWORD ms, bool alertable,
                    WaitInput* input, DWORD maxCount);

// Blocks in poll() until one of fds is readable or timeoutMs passes
// (0xFFFFFFFF: no limit). Negative entries are ignored. True when something
// is readable.
bool PollReadable(const std::vector<int>& fds, DWORD timeoutMs);

}  // namespace platform::detail
