#include "CustomCode/Common/cmSetupMilestone.h"

#include "platform/kernel32/RuntimeDir.h"
#include "platform/user32/WinUser.h"

HRESULT cmSendSetupMilestone(DWORD dwMilestone, DWORD dwStatus, DWORD dwTimeoutMs, DWORD* pdwReceivers)
{
    const UINT uMsg = RegisterWindowMessageA(szSetupMilestoneMessage);
    DWORD n = 0;
    if (uMsg != 0)
        n = platform::BroadcastWindowMessage(uMsg, dwMilestone, dwStatus, platform::BroadcastMode::Send, dwTimeoutMs);
    // An installer that elevated itself runs as root: the notifier that
    // started it waits in the session of the user it installs for.
    unsigned uid = 0;
    if (platform::ElevatingUser(uid))
        n += platform::BroadcastToUserSession(uid, szSetupMilestoneMessage, dwMilestone, dwStatus, dwTimeoutMs);
    if (pdwReceivers != nullptr)
        *pdwReceivers = n;
    return n > 0 ? S_OK : S_FALSE;
}
