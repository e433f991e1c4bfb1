// Validation of the process's heaps (GetProcessHeaps and HeapValidate on
// Windows). The C library's allocator here offers no walk that can be run
// on a live heap, so there is nothing to validate and the check succeeds.
#pragma once

#include "platform/kernel32/WinError.h"

namespace platform {

// S_OK when every heap validates (always, here), E_FAIL at the first broken one.
HRESULT ValidateProcessHeaps();

}  // namespace platform
