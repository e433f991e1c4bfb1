// GetTickCount: milliseconds since an arbitrary start (the system's
// monotonic clock), wrapping at 2^32 as on Windows. The time of queued
// messages uses the same count.
#pragma once

#include "platform/kernel32/WinTypes.h"

DWORD GetTickCount();
