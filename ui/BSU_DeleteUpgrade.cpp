#include "ui/BSU_DeleteUpgrade.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "ui/CNotifierStrings.h"
#include "ui/NotifierResourceIds.h"

BSU_DeleteUpgrade::BSU_DeleteUpgrade() : CDappleDialog(IDD_BSU_DELETEUPGRADE) {}

BOOL BSU_DeleteUpgrade::OnInitDialog()
{
    CDappleDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    LoadResources();
    return TRUE;
}

HRESULT BSU_DeleteUpgrade::LoadResources()
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "BSU_DeleteUpgrade::LoadResources");
    const CNotifierStrings strings;
    SetDlgItemText(IDOK, strings.Load(IDS_DELETE_YES).GetText());
    SetDlgItemText(IDCANCEL, strings.Load(IDS_DELETE_NO).GetText());
    SetDlgItemText(IDC_DELETE_TEXT_DOWNLOADED, strings.Load(IDS_DELETE_TEXT_DOWNLOADED).GetText());
    SetDlgItemText(IDC_DELETE_TEXT_LATER, strings.Load(IDS_DELETE_TEXT_LATER).GetText());
    SetDlgItemText(IDC_DELETE_QUESTION, strings.Load(IDS_DELETE_QUESTION).GetText());
    SetWindowText(strings.Load(IDS_BSU_CAPTION).GetText());
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

void BSU_DeleteUpgrade::OnSysCommand(UINT, LPARAM) {}
