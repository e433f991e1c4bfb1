#include "platform/dbghelp/HeapCheck.h"

#include <malloc.h>

namespace platform {

HRESULT ValidateProcessHeaps() { return S_OK; }

std::size_t HeapBytesInUse() { return ::mallinfo2().uordblks; }

}  // namespace platform
