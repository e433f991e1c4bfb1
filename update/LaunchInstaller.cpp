#include "update/LaunchInstaller.h"

#include "CustomCode/Common/cmComError.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmSetupMilestone.h"
#include "CustomCode/Common/cmWaitForEvents.h"
#include "platform/kernel32/Event.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Wait.h"

namespace {

// The thread's last error as a raised result error (E_FAIL when none is set).
[[noreturn]] void RaiseLastError()
{
    const HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
    throw _com_error(hr < 0 ? hr : E_FAIL);
}

}  // namespace

LaunchInstaller::LaunchInstaller() : m_uMsg(RegisterWindowMessageA(szSetupMilestoneMessage))
{
    Create(0, 0);
}

LaunchInstaller::~LaunchInstaller() = default;

LRESULT LaunchInstaller::WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg != m_uMsg || m_uMsg == 0)
        return 0;
    bool bEnds = false;
    switch (static_cast<DWORD>(wParam)) {
    case 70:
    case 80:
        m_nMilestone = static_cast<LONG>(wParam);
        m_nCompletionCode = kLeftWhileRunning;
        break;
    case 100:
    case 300:
    case 500:
    case 600:
        m_nMilestone = static_cast<LONG>(wParam);
        break;
    case 400:
        m_nMilestone = 400;
        m_nCompletionCode = kInstalled;
        break;
    case 200:
        // The final report: the status becomes the recorded milestone.
        switch (static_cast<DWORD>(lParam)) {
        case 10: case 20: case 50: case 60: m_nCompletionCode = kInstalled; bEnds = true; break;
        case 30: m_nCompletionCode = kLeft; bEnds = true; break;
        case 40: m_nCompletionCode = kFailed; bEnds = true; break;
        default: break;
        }
        if (bEnds)
            m_nMilestone = static_cast<LONG>(lParam);
        break;
    default:
        break;
    }
    if (bEnds && m_hEvent != nullptr)
        SetEvent(m_hEvent);
    return 0;
}

HRESULT LaunchInstaller::StartPoll(LONG& nCompletionCode, HANDLE hInstaller)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "StartPoll");
    HRESULT hr = S_OK;
    try {
        m_hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (m_hEvent == nullptr)
            RaiseLastError();
        if (hInstaller == nullptr) {
            // Nothing was started, so no report can come.
            m_nCompletionCode = kFailed;
        } else {
            cmWaitForEvents wait;
            const HANDLE h = wait.Wait({m_hEvent, hInstaller}, INFINITE, true);
            if (h == hInstaller) {
                // Everything the installer started has ended. A report it sent
                // just before is already queued: serve it before deciding.
                cmPumpMessages();
                if (WaitForSingleObject(m_hEvent, 0) != WAIT_OBJECT_0)
                    m_nCompletionCode = kFailed;
            } else if (h != m_hEvent) {
                RaiseLastError();
            }
        }
        CloseHandle(m_hEvent);
        m_hEvent = nullptr;
        CM_TRACE_WARNING("Installer completed message is <%d>", static_cast<int>(m_nMilestone));
    } catch (const _com_error& e) {
        if (m_hEvent != nullptr) {
            CloseHandle(m_hEvent);
            m_hEvent = nullptr;
        }
        hr = e.Error();
        CM_TRACE_COM_ERROR(e);
    }
    nCompletionCode = m_nCompletionCode;
    CM_TRACE_RETURN(hr);
}
