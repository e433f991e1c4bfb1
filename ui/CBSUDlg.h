// CBSUDlg: the update-available dialog. While it initialises it loads the
// waiting update and ends at once, never visible, when there is none;
// otherwise it shows the update's picture in the user's language with three
// buttons below it: install now, remind me in seven days, do not update
// (confirmed, then the update is ignored and deleted).
#pragma once

#include "CustomCode/Common/cmPicture.h"
#include "platform/user32/WinUser.h"
#include "ui/skin/CDappleDialog.h"
#include "update/CBSUMetaData.h"

class CBSUDlg : public CDappleDialog {
public:
    CBSUDlg();
    ~CBSUDlg() override;

    // Runs the dialog modally: 5 after an action button, 2 on Escape,
    // E_FAIL when there is no usable update, -1 when the window cannot be
    // created.
    using CDappleDialog::DoModal;

    CBSUMetaData& GetMetaData() { return m_MetaData; }
    const cmPicture& GetPicture() const { return m_Picture; }
    HICON GetProgramIcon() const { return m_hIcon; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id) override;
    // Every system command is swallowed: the window manager's close and
    // Alt+F4 do nothing.
    void OnSysCommand(UINT nID, LPARAM lParam) override;
    void OnPaint(HDC hdc) override;

    // The texts in the notifier's language, the picture and the layout
    // around it; S_OK.
    HRESULT LoadResources();
    void OnUpdateNow();
    void OnRemindMeLater();
    void OnStopBuggingMe();
    // The update's details page opened with the program the desktop
    // associates with it, else the description in the more-details dialog.
    void OnBsuMoredetailsBtn();

private:
    // The picture's size in pixels on hdc; false without a picture.
    bool PictureSize(HDC hdc, int& cx, int& cy);

    CBSUMetaData m_MetaData;
    HICON m_hIcon = nullptr;
    cmPicture m_Picture;
};
