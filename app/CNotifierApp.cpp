#include "app/CNotifierApp.h"

#include "CustomCode/Common/cmInstanceMutex.h"
#include "app/CArbiter.h"

namespace {
const AFX_MSGMAP_ENTRY s_entries[] = {
    {WM_COMMAND, ID_HELP, &CWinApp::OnHelp},
    {0, 0, nullptr},
};
}  // namespace

CNotifierApp::CNotifierApp()
{
    // The more-details dialog holds a rich-edit control; a failure is ignored.
    AfxInitRichEdit();
}

CNotifierApp::~CNotifierApp() = default;

const AFX_MSGMAP* CNotifierApp::GetMessageMap() const
{
    static const AFX_MSGMAP s_map = {CDappleWinApp::GetMessageMap(), s_entries};
    return &s_map;
}

BOOL CNotifierApp::InitInstance()
{
    cmInstanceMutex guard(kNotifierMutexName);
    if (guard.IsAlreadyRunning() == 1)
        return FALSE;  // another copy runs: end silently

    CDappleGlobals& globals = GetGlobals();
    globals.InitColours(0);
    globals.SetBitmapIds(1, 2, 3, 4, 5, 6, 7, 8, 9, 132, 131, 134, 133, 135, 136, 2);

    CArbiter arbiter;
    arbiter.FindAndProcessTask();
    return FALSE;
}

int CNotifierApp::ExitInstance() { return CDappleWinApp::ExitInstance(); }
