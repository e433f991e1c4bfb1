// CBSUDlg: the update-available dialog. Until its window, picture and
// buttons are built, the dialog has nothing it can load and ends as it does
// when no update is waiting: at once, invisible, with E_FAIL.
#pragma once

#include "platform/WinError.h"

class CBSUDlg {
public:
    CBSUDlg() = default;
    // Runs the dialog modally; the value the dialog ended with.
    int DoModal();
};
