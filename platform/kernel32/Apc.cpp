#include "platform/kernel32/Apc.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/kernel32/ThreadState.h"
#include "platform/kernel32/WinError.h"

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
