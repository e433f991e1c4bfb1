#include "ui/CDappleDialog.h"

BOOL CDappleDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    m_dwOriginalStyle = GetStyle();
    ModifyStyle(kCaptionButtonStyles, 0);
    return TRUE;
}
