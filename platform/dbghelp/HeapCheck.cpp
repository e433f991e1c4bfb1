#include "platform/dbghelp/HeapCheck.h"

namespace platform {

HRESULT ValidateProcessHeaps() { return S_OK; }

}  // namespace platform
