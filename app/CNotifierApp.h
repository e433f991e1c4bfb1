// CNotifierApp: the notifier's application object. Its InitInstance is the
// whole program: take the single-instance mutex, set up the skin, run the
// arbiter, release the mutex, and return FALSE so that the process exits
// with ExitInstance's 0.
#pragma once

#include "ui/skin/CDappleWinApp.h"

class CNotifierApp : public CDappleWinApp {
public:
    CNotifierApp();
    ~CNotifierApp() override;

    const AFX_MSGMAP* GetMessageMap() const override;
    BOOL InitInstance() override;
    int ExitInstance() override;
};

// The name of the single-instance mutex; other programs may open it to learn
// whether the notifier runs.
constexpr const char* kNotifierMutexName = "DAPPLE_NOTIFIER";
