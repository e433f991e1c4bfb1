#include "ui/CBSUDlg.h"

#include "update/BSUDialogHost.h"

int CBSUDlg::DoModal() { return E_FAIL; }

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
