// CDappleMessageBox: the skin's own message box, which the application's
// message-box call shows instead of the system's. It has the caption it is
// given, the desktop's icon for the MB_ICON bits, the message in the skin's
// large bold font, and the buttons of MessageBoxButtons with their ids and
// images; the MB_DEFBUTTON bits choose the default button. The modal run
// gives the id of the button pressed; Escape and the close command give
// IDCANCEL when there is a Cancel button, IDOK for a box with OK alone, and
// nothing otherwise. Help does not end the box: it routes ID_HELP through
// the application's message map.
#pragma once

#include "ui/skin/CDappleDialog.h"

#include <string>

class CDappleMessageBox : public CDappleDialog {
public:
    static constexpr WORD kIconId = 20;
    static constexpr WORD kTextId = 0xFFFF;
    // What the layout adds to the measured width of the message.
    static constexpr int kTextPadding = 40;
    // The message wraps at this width before the padding is added.
    static constexpr int kWrapWidth = 400;
    static constexpr int kMargin = 12;
    static constexpr int kIconSize = 32;

    CDappleMessageBox(const std::string& text, UINT type, const std::string& caption);

    // The caption of the application's message box: the application's name,
    // or the program's path when there is no skinned application object.
    static std::string DefaultCaption();

    UINT Type() const { return m_type; }

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(UINT id) override;
    void OnCancel() override;

private:
    void Layout();

    UINT m_type;
    std::string m_caption;
};
