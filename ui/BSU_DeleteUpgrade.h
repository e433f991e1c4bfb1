// BSU_DeleteUpgrade: the yes/no question asked before an update is deleted at
// the user's request. It only gives the answer: 1 for "Yes" (or Enter), 2 for
// "No" (or Escape); the update dialog does the deleting.
#pragma once

#include "platform/kernel32/WinError.h"
#include "platform/user32/WinUser.h"
#include "ui/skin/CDappleDialog.h"

class BSU_DeleteUpgrade : public CDappleDialog {
public:
    BSU_DeleteUpgrade();

protected:
    BOOL OnInitDialog() override;
    // Every system command is swallowed (Alt+F4 does nothing).
    void OnSysCommand(UINT nID, LPARAM lParam) override;
    // The texts in the notifier's language; S_OK.
    HRESULT LoadResources();

private:
    HICON m_hIcon = nullptr;  // never loaded: the question carries no icon
};
