#include "ui/CBSU_MoreDetails.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "ui/CNotifierStrings.h"
#include "ui/NotifierResourceIds.h"

#include <algorithm>
#include <cstring>

CBSU_MoreDetails::CBSU_MoreDetails() : CDappleDialog(IDD_BSU_MOREDETAILS) {}

CBSU_MoreDetails::~CBSU_MoreDetails()
{
    m_Description.Free();
}

HRESULT CBSU_MoreDetails::SetDescription(const cmBuffer& description)
{
    return m_Description.Set(description.GetSize(), description.GetData());
}

BOOL CBSU_MoreDetails::OnInitDialog()
{
    CDappleDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    LoadResources();
    return TRUE;
}

HRESULT CBSU_MoreDetails::LoadResources()
{
    // Traced under the update dialog's routine name, as the dialogs share it.
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUDlg::LoadResources");
    const CNotifierStrings strings;
    SetDlgItemText(IDOK, strings.Load(IDS_MOREDETAILS_OK).GetText());
    SetWindowText(strings.Load(IDS_BSU_MORE_DETAILS).GetText());

    // A copy of the description, read from position 0 by the control.
    m_readCopy.Set(m_Description.GetSize(), m_Description.GetData());
    m_read = ReadBuffer{m_readCopy.GetData(), m_readCopy.GetSize(), 0, 0};
    EDITSTREAM es{};
    es.dwCookie = reinterpret_cast<DWORD_PTR>(&m_read);
    es.pfnCallback = &CBSU_MoreDetails::StreamCallback;
    StreamIn(IDC_MOREDETAILS_TEXT, SF_RTF, es);
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

DWORD CBSU_MoreDetails::StreamCallback(DWORD_PTR dwCookie, BYTE* pbBuff, LONG cb, LONG* pcb)
{
    auto* read = reinterpret_cast<ReadBuffer*>(dwCookie);
    ++read->requests;
    const DWORD want = cb > 0 ? static_cast<DWORD>(cb) : 0;
    const DWORD n = std::min(want, read->size - read->position);
    if (n > 0)
        std::memcpy(pbBuff, read->data + read->position, n);
    read->position += n;
    *pcb = static_cast<LONG>(n);
    return 0;
}

void CBSU_MoreDetails::OnSysCommand(UINT, LPARAM)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_NOTIFIER, "CBSUDlg::LoadResources");
}
