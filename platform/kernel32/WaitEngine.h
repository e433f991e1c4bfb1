// The one wait loop behind every waiting call of the platform layer, for its
// own use.
//
// It polls the descriptors of the objects it waits on, of the thread's
// queued calls (when alertable) and of the thread's message input (when a
// wake mask is given), then takes what is ready under the owners' locks.
// Results are those of the Win32 waits: WAIT_OBJECT_0 + i, WAIT_OBJECT_0 +
// objects.size() for message input, WAIT_IO_COMPLETION, WAIT_TIMEOUT.
#pragma once

#include "platform/kernel32/EventCore.h"
#include "platform/kernel32/WinTypes.h"

#include <memory>
#include <vector>

namespace platform::detail {

struct WaitRequest {
    std::vector<std::shared_ptr<EventCore>> objects;
    bool waitAll = false;
    DWORD timeoutMs = 0xFFFFFFFF;
    bool alertable = false;
    DWORD wakeMask = 0;  // QS_* bits; 0: no message input
};

DWORD RunWait(const WaitRequest& request);

}  // namespace platform::detail
