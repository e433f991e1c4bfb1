// CBSUMetaData::InvokeUpdate: starts the update's installer from the update
// folder, follows it to completion, and records what its final report means.
#include "update/CBSUMetaData.h"

#include "CustomCode/Common/cmChecks.h"
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmRegistryKey.h"
#include "platform/crt/Direct.h"
#include "platform/kernel32/FileFind.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/PathApi.h"
#include "platform/kernel32/Process.h"
#include "update/BSURegistryLayout.h"
#include "update/LaunchInstaller.h"

#include <vector>

namespace {

// The installer and every process it starts, watched so that the wait ends
// when they are all gone without a report; closes its handles with the object.
class InstallerProcess {
public:
    InstallerProcess(const cmString& szCommandLine, LPCSTR szFolder)
    {
        std::vector<char> line(szCommandLine.GetText(), szCommandLine.GetText() + szCommandLine.GetLengthInTchars() + 1);
        STARTUPINFOA si{};
        si.cb = sizeof si;
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, szFolder, &si, &m_pi))
            m_hWatch = platform::WatchProcessTree(m_pi.hProcess);
    }
    InstallerProcess(const InstallerProcess&) = delete;
    InstallerProcess& operator=(const InstallerProcess&) = delete;
    ~InstallerProcess()
    {
        for (HANDLE h : {m_hWatch, m_pi.hProcess, m_pi.hThread}) {
            if (h != nullptr)
                CloseHandle(h);
        }
    }
    // Null when the installer could not be started.
    HANDLE Watch() const { return m_hWatch; }

private:
    PROCESS_INFORMATION m_pi{};
    HANDLE m_hWatch = nullptr;
};

}  // namespace

HRESULT CBSUMetaData::InvokeUpdate(void* /*hWndParent*/)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER_MODULES, "CBSUMetaData::InvokeUpdate");
    HRESULT hr = [&]() -> HRESULT {
        CM_CHECK_STATE(this->szPathToUpdate.GetLengthInTchars()!=0);
        CM_CHECK_STATE(this->szAppToLaunch.GetLengthInTchars()!=0);

        char szCurrent[MAX_PATH + 1] = {};
        if (_getcwd(szCurrent, sizeof szCurrent) == nullptr)
            szCurrent[0] = '\0';
        CM_TRACE_WARNING("Current working folder %s \n", szCurrent);
        // The notifier moves into the update folder and stays there.
        const int retval = _chdir(szPathToUpdate);
        CM_CHECK_STATE(retval ==0);
        CM_TRACE_WARNING("Working folder %s \n", szPathToUpdate.GetText());

        cmString szCommandLine = szPathToUpdate;
        szCommandLine += kPathSeparator;
        szCommandLine += szAppToLaunch;
        CM_TRACE_INFO("Fully Qualified Path to App %s \n", szCommandLine.GetText());

        LONG nCompletionCode = LaunchInstaller::kLeft;
        {
            // The listener is there before the installer starts: a quick
            // installer's reports would otherwise be lost, and an installed
            // update counted as a failed installation. Messages wait in the
            // listener's queue until the poll dispatches them.
            LaunchInstaller listener;
            InstallerProcess installer(szCommandLine, szPathToUpdate);
            listener.StartPoll(nCompletionCode, installer.Watch());
        }

        switch (nCompletionCode) {
        case LaunchInstaller::kInstalled: {
            CM_TRACE_WARNING("all is welll, remove install");
            HRESULT hr = PurgeUpdateInformation();
            CM_CHECK_STATE(hr==S_OK);
            CacheCurrentSetupFilder(szPathToUpdate);
            CM_TRACE_WARNING("Update folder to be deleted on next activation  %s \n", szPathToUpdate.GetText());
            return S_OK;
        }
        case LaunchInstaller::kLeft:
        case LaunchInstaller::kLeftWhileRunning:
            CM_TRACE_WARNING("Installer completed but was exited, installer will remain");
            return S_OK;
        case LaunchInstaller::kFailed: {
            // The retry rule: a missing count reads as 0xFFFFFFFF, so the first
            // counted failure writes 0, and the update is given up once the
            // count passes 2.
            cmRegistryKey key(HKEY_LOCAL_MACHINE, szBSUNotificationKey, cmRegistryCreate::CreateMissing);
            key.UpgradeSam(GENERIC_ALL);
            const DWORD count = key.QueryDword(szBSURetryCountValue) + 1;
            if (count > 2) {
                CM_TRACE_WARNING("Installer retry count <%d> exceeded", static_cast<int>(count));
                key.SetDword(szBSURetryCountValue, 0);
                HRESULT hr = PurgeUpdateInformation();
                CM_CHECK_STATE(hr==S_OK);
                CacheCurrentSetupFilder(szPathToUpdate);
                CM_TRACE_WARNING("Update folder to be deleted on next activation  %s \n", szPathToUpdate.GetText());
                return S_OK;
            }
            CM_TRACE_WARNING("Installer retry count <%d>", static_cast<int>(count));
            key.SetDword(szBSURetryCountValue, count);
            CM_TRACE_WARNING("Failed to launch update errror ");
            return E_FAIL;
        }
        default:
            return S_OK;
        }
    }();
    CM_TRACE_RETURN(hr);
}
