#include "ui/skin/CDappleWinApp.h"

CDappleWinApp::CDappleWinApp() : m_pGlobals(std::make_unique<CDappleGlobals>())
{
    SetDappleGlobals(m_pGlobals.get());
}

CDappleWinApp::~CDappleWinApp()
{
    if (DappleGlobals() == m_pGlobals.get())
        SetDappleGlobals(nullptr);
}

int CDappleWinApp::ExitInstance() { return CWinApp::ExitInstance(); }
