// CDappleWinApp: the skinned application base. It owns the process's skin
// settings (CDappleGlobals) for the life of the application object, and its
// message boxes are the skin's own (CDappleMessageBox).
#pragma once

#include "platform/mfc/CWinApp.h"
#include "ui/skin/CDappleGlobals.h"

#include <memory>
#include <string>

class CDappleWinApp : public CWinApp {
public:
    CDappleWinApp();
    ~CDappleWinApp() override;

    int ExitInstance() override;
    // The skinned message box; the id of the button pressed, 0 when the box
    // cannot be shown (no display).
    int DoMessageBox(LPCSTR lpszPrompt, UINT nType, UINT nIDPrompt) override;

    CDappleGlobals& GetGlobals() { return *m_pGlobals; }
    // The application's name: string AFX_IDS_APP_TITLE when the program has
    // it, else the program's file name.
    std::string AppName() const;

private:
    std::unique_ptr<CDappleGlobals> m_pGlobals;
};
