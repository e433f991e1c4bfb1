#include "platform/TickCount.h"

#include "platform/MessageQueue.h"

DWORD GetTickCount() { return platform::detail::TickCount(); }
