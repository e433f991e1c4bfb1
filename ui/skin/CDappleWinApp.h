// CDappleWinApp: the skinned application base. It owns the process's skin
// settings (CDappleGlobals) for the life of the application object.
#pragma once

#include "platform/mfc/CWinApp.h"
#include "ui/skin/CDappleGlobals.h"

#include <memory>

class CDappleWinApp : public CWinApp {
public:
    CDappleWinApp();
    ~CDappleWinApp() override;

    int ExitInstance() override;

    CDappleGlobals& GetGlobals() { return *m_pGlobals; }

private:
    std::unique_ptr<CDappleGlobals> m_pGlobals;
};
