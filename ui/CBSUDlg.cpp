#include "ui/CBSUDlg.h"

#include "update/BSUDialogHost.h"

int CBSUDlg::DoModal()
{
    // Initialisation: an update that cannot be loaded ends the dialog before
    // it would become visible.
    if (m_metaData.PopulateMe() != S_OK)
        return E_FAIL;
    return -1;
}

namespace {

int RunUpdateDialog()
{
    CBSUDlg dlg;
    return dlg.DoModal();
}

// The update task runs the dialog through this hook (see update/BSUDialogHost.h).
struct RegisterUpdateDialog {
    RegisterUpdateDialog() { SetBSUDialogRunner(&RunUpdateDialog); }
} s_registerUpdateDialog;

}  // namespace
