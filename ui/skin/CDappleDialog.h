// CDappleDialog: the base of every dialog of the program. Its initialisation
// runs the framework's, then takes the caption buttons away (minimise,
// maximise and the system menu with its close box), so that the window shows
// a bare caption. The skin's painting builds on it.
#pragma once

#include "ui/CDialog.h"

class CDappleDialog : public CDialog {
public:
    // Style bits removed from every dialog: WS_MINIMIZE, WS_MAXIMIZE, WS_SYSMENU.
    static constexpr DWORD kCaptionButtonStyles = 0x21080000;

    explicit CDappleDialog(UINT nIDTemplate) : CDialog(nIDTemplate) {}

    // The dialog's style as its template gave it, before the removal.
    DWORD GetOriginalStyle() const { return m_dwOriginalStyle; }

protected:
    BOOL OnInitDialog() override;

private:
    DWORD m_dwOriginalStyle = 0;
};
