#include "ui/skin/CDappleWinApp.h"

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/SharedModule.h"
#include "ui/skin/CDappleMessageBox.h"

namespace {

constexpr UINT AFX_IDS_APP_TITLE = 0xE000;

}  // namespace

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

std::string CDappleWinApp::AppName() const
{
    char title[256] = "";
    if (LoadStringA(nullptr, AFX_IDS_APP_TITLE, title, sizeof title) > 0)
        return title;
    const std::string path = platform::ExecutablePath();
    return path.substr(path.rfind('/') + 1);
}

int CDappleWinApp::DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT)
{
    CDappleMessageBox box(lpszPrompt != nullptr ? lpszPrompt : "", nType, AppName());
    const int result = box.DoModal();
    return result < 0 ? 0 : result;
}
