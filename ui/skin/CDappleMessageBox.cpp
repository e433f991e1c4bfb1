#include "ui/skin/CDappleMessageBox.h"

#include "platform/kernel32/SharedModule.h"
#include "platform/mfc/CWinApp.h"
#include "ui/CGuiModule.h"
#include "ui/skin/CDappleBitmapButton.h"
#include "ui/skin/CDappleWinApp.h"
#include "ui/skin/SkinFonts.h"
#include "ui/skin/SkinMessageBoxButtons.h"

#include <algorithm>

namespace {

// Message box buttons in dialog units, and the air between them in pixels.
constexpr CDialogRect kButtonUnits{0, 0, 50, 14};
constexpr int kButtonGap = 8;

CDialogTemplate MessageBoxTemplate(const std::string& text, UINT type)
{
    CDialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME | DS_CENTER | DS_SYSMODAL;
    t.rect = CDialogRect{0, 0, 200, 60};
    t.fontPointSize = 8;
    t.fontName = "MS Shell Dlg";
    const char* icon = MessageBoxIconName(type);
    if (*icon != '\0') {
        CDialogItem item;
        item.style = WS_CHILD | WS_VISIBLE | SS_ICON;
        item.id = CDappleMessageBox::kIconId;
        item.classAtom = CDialogTemplate::kStatic;
        item.text = icon;
        t.items.push_back(item);
    }
    CDialogItem message;
    message.style = WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX;
    message.id = CDappleMessageBox::kTextId;
    message.classAtom = CDialogTemplate::kStatic;
    message.text = text;
    t.items.push_back(message);
    const auto buttons = MessageBoxButtons(type);
    const std::size_t def = MessageBoxDefaultButton(type, buttons.size());
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        CDialogItem b;
        b.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | (i == def ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        b.id = static_cast<WORD>(buttons[i].id);
        b.classAtom = CDialogTemplate::kButton;
        b.rect = kButtonUnits;
        b.text = buttons[i].text;
        t.items.push_back(b);
    }
    return t;
}

}  // namespace

CDappleMessageBox::CDappleMessageBox(const std::string& text, UINT type, const std::string& caption)
    : CDappleDialog(MessageBoxTemplate(text, type)), m_type(type), m_caption(caption)
{
}

std::string CDappleMessageBox::DefaultCaption()
{
    if (auto* app = dynamic_cast<CDappleWinApp*>(AfxGetApp()))
        return app->AppName();
    return platform::ExecutablePath();
}

BOOL CDappleMessageBox::OnInitDialog()
{
    CDappleDialog::OnInitDialog();
    SetWindowText(m_caption.c_str());
    for (const CMessageBoxButton& b : MessageBoxButtons(m_type))
        if (auto* button = dynamic_cast<CDappleBitmapButton*>(SkinControl(b.id)))
            button->SetImageIndex(b.imageIndex);
    SetDlgItemFont(kTextId, &SkinLargeBoldFont());
    Layout();
    return TRUE;
}

void CDappleMessageBox::Layout()
{
    // The text is measured as the toolkit will draw it; without a toolkit
    // there is no window to lay out.
    IGuiToolkit* toolkit = CGuiModule::Toolkit();
    const CDialogControl* message = GetDlgItem(kTextId);
    if (toolkit == nullptr || message == nullptr)
        return;
    const CTextExtent text =
        toolkit->MeasureText(message->text, SkinLargeBoldFont(), kWrapWidth, DT_WORDBREAK | DT_NOPREFIX);
    const bool icon = GetDlgItem(kIconId) != nullptr;
    const int iconArea = icon ? kIconSize + kMargin : 0;
    const int textWidth = text.cx + kTextPadding;
    const int contentHeight = std::max(icon ? kIconSize : 0, text.cy);

    const auto buttons = MessageBoxButtons(m_type);
    const CDialogRect unit = MapDialogRect(kButtonUnits, BaseUnits());
    int buttonWidth = unit.cx;
    for (const CMessageBoxButton& b : buttons)
        buttonWidth = std::max(buttonWidth, toolkit->MeasureText(b.text, SkinBoldFont(), 0, DT_SINGLELINE).cx + 16);
    const int count = static_cast<int>(buttons.size());
    const int row = count * buttonWidth + (count - 1) * kButtonGap;

    const int clientWidth = std::max(kMargin + iconArea + textWidth + kMargin, kMargin + row + kMargin);
    const int buttonTop = kMargin + contentHeight + kMargin;
    const int clientHeight = buttonTop + unit.cy + kMargin;
    if (icon)
        SetDlgItemRect(kIconId, CDialogRect{kMargin, kMargin + (contentHeight - kIconSize) / 2, kIconSize, kIconSize});
    SetDlgItemRect(kTextId, CDialogRect{kMargin + iconArea, kMargin + (contentHeight - text.cy) / 2, textWidth, text.cy});
    int x = (clientWidth - row) / 2;
    for (const CMessageBoxButton& b : buttons) {
        SetDlgItemRect(b.id, CDialogRect{x, buttonTop, buttonWidth, unit.cy});
        x += buttonWidth + kButtonGap;
    }
    const CWindowFrame frame = Frame();
    SetWindowPos(0, 0, clientWidth + frame.ExtraWidth(), clientHeight + frame.ExtraHeight());
}

bool CDappleMessageBox::OnCommand(UINT id)
{
    if (static_cast<int>(id) == IDCANCEL) {
        OnCancel();
        return true;
    }
    if (static_cast<int>(id) == IDHELP) {
        if (CWinApp* app = AfxGetApp())
            app->OnCmdMsg(ID_HELP);
        return true;
    }
    for (const CMessageBoxButton& b : MessageBoxButtons(m_type)) {
        if (b.id == static_cast<int>(id)) {
            EndDialog(b.id);
            return true;
        }
    }
    return false;
}

void CDappleMessageBox::OnCancel()
{
    const auto buttons = MessageBoxButtons(m_type);
    const bool cancel = std::any_of(buttons.begin(), buttons.end(), [](const auto& b) { return b.id == IDCANCEL; });
    if (cancel)
        EndDialog(IDCANCEL);
    else if ((m_type & MB_TYPEMASK) == MB_OK)
        EndDialog(IDOK);
}
