#include "platform/Apc.h"

#include "platform/LastError.h"
#include "platform/ThreadHandle.h"
#include "platform/ThreadState.h"
#include "platform/WinError.h"

DWORD QueueUserAPC(PAPCFUNC pfnAPC, HANDLE hThread, ULONG_PTR dwData)
{
    if (pfnAPC == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto state = platform::ThreadStateOfHandle(hThread);
    if (!state)
        return 0;
    return state->QueueApc(pfnAPC, dwData) ? 1 : 0;
}
