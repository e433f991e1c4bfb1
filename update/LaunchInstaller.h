// LaunchInstaller: the hidden listener that follows a running installer. It
// receives the installer's "GLM_SETUP_MILESTONE_MSG" on the notifier's own
// thread while StartPoll waits with message dispatch, records the last
// milestone and the completion code, and ends the wait on a completion
// report. The wait also ends, as a failed installation, when the installer
// and every process it started are gone without such a report, so that it
// can never hang.
#pragma once

#include "CustomCode/Common/cmWindow.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

class LaunchInstaller : public cmWindow {
public:
    // Completion codes.
    static constexpr LONG kInstalled = 0;
    static constexpr LONG kLeft = 1;
    static constexpr LONG kLeftWhileRunning = 2;
    static constexpr LONG kFailed = 3;

    // Registers the message and creates the hidden top-level window.
    LaunchInstaller();
    ~LaunchInstaller() override;

    // Waits for a completion report and gives the completion code. hInstaller
    // is the waitable watch of the installer's processes (null when it could
    // not be started: then nothing is waited for and the code is kFailed).
    HRESULT StartPoll(LONG& nCompletionCode, HANDLE hInstaller);

    LONG GetMilestone() const { return m_nMilestone; }
    LONG GetCompletionCode() const { return m_nCompletionCode; }
    UINT GetMessageId() const { return m_uMsg; }

protected:
    LRESULT WindowProc(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

private:
    HANDLE m_hEvent = nullptr;
    UINT m_uMsg = 0;
    LONG m_nMilestone = 0;
    LONG m_nCompletionCode = 1;
};
