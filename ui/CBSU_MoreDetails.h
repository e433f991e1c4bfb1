// CBSU_MoreDetails: the update's description (RTF from "Update.cfg" in the
// user's language) in an editable rich-edit control with one OK button. It
// only displays: nothing it shows or edits is read back.
#pragma once

#include "CustomCode/Common/cmBuffer.h"
#include "platform/kernel32/WinError.h"
#include "platform/riched/RichEdit.h"
#include "ui/skin/CDappleDialog.h"

class CBSU_MoreDetails : public CDappleDialog {
public:
    CBSU_MoreDetails();
    ~CBSU_MoreDetails() override;

    // The bytes to show, copied before the modal run.
    HRESULT SetDescription(const cmBuffer& description);

    // How the stream into the control went: the read position and the number
    // of requests the control made.
    DWORD ReadPosition() const { return m_read.position; }
    DWORD StreamRequests() const { return m_read.requests; }

protected:
    BOOL OnInitDialog() override;
    // Every system command is swallowed: no moving by the caption, no Alt+F4.
    void OnSysCommand(UINT nID, LPARAM lParam) override;
    // The texts in the notifier's language and the description streamed into
    // the rich-edit control; S_OK.
    HRESULT LoadResources();

private:
    // The read buffer the stream callback takes its bytes from.
    struct ReadBuffer {
        const BYTE* data = nullptr;
        DWORD size = 0;
        DWORD position = 0;
        DWORD requests = 0;
    };
    static DWORD StreamCallback(DWORD_PTR dwCookie, BYTE* pbBuff, LONG cb, LONG* pcb);

    cmBuffer m_Description;
    HICON m_hIcon = nullptr;  // never loaded: the dialog carries no icon
    cmBuffer m_readCopy;
    ReadBuffer m_read;
};
