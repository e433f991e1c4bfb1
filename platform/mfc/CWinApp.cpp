#include "platform/mfc/CWinApp.h"

namespace {
// The framework's one application object, as the Windows framework keeps it.
CWinApp* s_pApp = nullptr;

const AFX_MSGMAP_ENTRY s_baseEntries[] = {{0, 0, nullptr}};
const AFX_MSGMAP s_baseMap = {nullptr, s_baseEntries};
}  // namespace

CWinApp::CWinApp() { s_pApp = this; }

CWinApp::~CWinApp()
{
    if (s_pApp == this)
        s_pApp = nullptr;
}

const AFX_MSGMAP* CWinApp::GetMessageMap() const { return &s_baseMap; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run()
{
    // An application without a main window has no message loop to run: it
    // ends as soon as it has started.
    return ExitInstance();
}

int CWinApp::ExitInstance() { return 0; }

BOOL CWinApp::OnCmdMsg(UINT nID)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map != nullptr; map = map->pBaseMap) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage != 0; ++e) {
            if (e->nMessage == WM_COMMAND && e->nID == nID && e->pfn != nullptr) {
                (this->*(e->pfn))();
                return TRUE;
            }
        }
    }
    return FALSE;
}

void CWinApp::OnHelp() { ++m_nHelpRequests; }

int CWinApp::DoMessageBox(LPCSTR, UINT, UINT) { return 0; }

CWinApp* AfxGetApp() { return s_pApp; }

int AfxWinMain()
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == nullptr)
        return -1;
    if (!pApp->InitInstance())
        return pApp->ExitInstance();
    return pApp->Run();
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp)
{
    CWinApp* pApp = AfxGetApp();
    return pApp != nullptr ? pApp->DoMessageBox(lpszText, nType, nIDHelp) : 0;
}

BOOL AfxInitRichEdit()
{
    // The rich-edit control is part of the program's own dialog toolkit:
    // there is no library to load, and it is always available.
    return TRUE;
}
