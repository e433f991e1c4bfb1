// CBSUDlg: the update-available dialog. It loads the waiting update while it
// initialises and ends at once, never visible, when there is none. Its
// window comes with the GUI; until then a dialog with an update to show
// cannot be created and ends as any dialog without a window does.
#pragma once

#include "platform/WinError.h"
#include "update/CBSUMetaData.h"

class CBSUDlg {
public:
    CBSUDlg() = default;
    // Runs the dialog modally: E_FAIL when there is no usable update; -1
    // when the window cannot be created.
    int DoModal();

    const CBSUMetaData& GetMetaData() const { return m_metaData; }

private:
    CBSUMetaData m_metaData;
};
