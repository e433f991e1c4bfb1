#include "CustomCode/Common/cmSetupMilestone.h"

#include "platform/user32/WinUser.h"

HRESULT cmSendSetupMilestone(DWORD dwMilestone, DWORD dwStatus, DWORD dwTimeoutMs, DWORD* pdwReceivers)
{
    const UINT uMsg = RegisterWindowMessageA(szSetupMilestoneMessage);
    DWORD n = 0;
    if (uMsg != 0)
        n = platform::BroadcastWindowMessage(uMsg, dwMilestone, dwStatus, platform::BroadcastMode::Send, dwTimeoutMs);
    if (pdwReceivers != nullptr)
        *pdwReceivers = n;
    return n > 0 ? S_OK : S_FALSE;
}
