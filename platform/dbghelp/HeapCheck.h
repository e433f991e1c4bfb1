// Validation of the process's heaps (GetProcessHeaps and HeapValidate on
// Windows). The C library's allocator here offers no walk that can be run
// on a live heap, so there is nothing to validate and the check succeeds.
#pragma once

#include "platform/kernel32/WinError.h"

#include <cstddef>

namespace platform {

// S_OK when every heap validates (always, here), E_FAIL at the first broken one.
HRESULT ValidateProcessHeaps();

// The bytes the C library's allocator has handed out and not taken back
// (what memory measurements compare before and after).
std::size_t HeapBytesInUse();

}  // namespace platform
