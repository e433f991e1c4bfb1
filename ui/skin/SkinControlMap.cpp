#include "ui/skin/SkinControlMap.h"

#include "platform/user32/WinUser.h"

#include <algorithm>
#include <cctype>

namespace {

bool SameName(const std::string& a, const char* b)
{
    const std::string_view bv(b);
    return a.size() == bv.size() && std::equal(a.begin(), a.end(), bv.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

SkinControlKind ClassifyButton(DWORD style)
{
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return SkinControlKind::BitmapButton;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return (style & BS_PUSHLIKE) != 0 ? SkinControlKind::None : SkinControlKind::RadioButton;
    case BS_GROUPBOX: return SkinControlKind::GroupBox;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE: return SkinControlKind::CheckBox;
    default: return SkinControlKind::None;  // user buttons, owner-draw and the other kinds
    }
}

}  // namespace

SkinControlKind ClassifySkinControl(const std::string& className, DWORD style, DWORD exStyle, bool inFileDialog)
{
    if (SameName(className, "Static")) {
        const bool icon = (style & 0xF) == SS_ICON;
        const bool bitmapOrMetafile = (style & 0xE) == 0xE;
        return icon || bitmapOrMetafile ? SkinControlKind::None : SkinControlKind::Static;
    }
    if (SameName(className, "Button"))
        return ClassifyButton(style);
    if (SameName(className, "ComboBox"))
        return (style & CBS_TYPEMASK) == CBS_SIMPLE ? SkinControlKind::SimpleComboBox : SkinControlKind::ComboBox;
    if (SameName(className, "SysListView32"))
        return (exStyle & kSkinViewMarker) != 0 ? SkinControlKind::ListCtrl : SkinControlKind::None;
    if (SameName(className, "SysTreeView32"))
        return (exStyle & kSkinViewMarker) != 0 ? SkinControlKind::TreeCtrl : SkinControlKind::None;
    if (SameName(className, "ScrollBar"))
        return (style & SBS_SIZEGRIP) != 0 ? SkinControlKind::Grip : SkinControlKind::None;
    if (SameName(className, "#32770"))
        return inFileDialog ? SkinControlKind::NestedDialog : SkinControlKind::None;
    static const struct {
        const char* name;
        SkinControlKind kind;
    } plain[] = {
        {"Edit", SkinControlKind::Edit},
        {"RICHEDIT", SkinControlKind::RichEdit},
        {"ListBox", SkinControlKind::ListBox},
        {"msctls_progress32", SkinControlKind::Progress},
        {"msctls_trackbar32", SkinControlKind::Slider},
        {"msctls_updown32", SkinControlKind::SpinButton},
        {"SysTabControl32", SkinControlKind::TabCtrl},
        {"ComboLBox", SkinControlKind::ComboLBox},
        {"ToolbarWindow32", SkinControlKind::Toolbar},
    };
    for (const auto& p : plain)
        if (SameName(className, p.name))
            return p.kind;
    return SkinControlKind::None;
}

const char* SkinControlKindName(SkinControlKind kind)
{
    switch (kind) {
    case SkinControlKind::None: return "none";
    case SkinControlKind::Static: return "CBlueStatic";
    case SkinControlKind::Edit: return "CBlueEdit";
    case SkinControlKind::RichEdit: return "CBlueRichEdit";
    case SkinControlKind::ListBox: return "CBlueListBox";
    case SkinControlKind::Progress: return "CBlueProgressCtrl";
    case SkinControlKind::Slider: return "CBlueSliderCtrl";
    case SkinControlKind::SpinButton: return "CBlueSpinButtonCtrl";
    case SkinControlKind::ListCtrl: return "CBlueListCtrl";
    case SkinControlKind::TreeCtrl: return "CBlueTreeCtrl";
    case SkinControlKind::TabCtrl: return "CDappleTabCtrl";
    case SkinControlKind::SimpleComboBox: return "CBlueSimpleComboBox";
    case SkinControlKind::ComboBox: return "CBlueComboBox";
    case SkinControlKind::ComboLBox: return "CBlueComboLBox";
    case SkinControlKind::Toolbar: return "CBlueToolbar";
    case SkinControlKind::Grip: return "CBlueGrip";
    case SkinControlKind::BitmapButton: return "CDappleBitmapButton";
    case SkinControlKind::RadioButton: return "CBlueRadioButton";
    case SkinControlKind::GroupBox: return "CBlueGroupBox";
    case SkinControlKind::CheckBox: return "CBlueCheckBox";
    case SkinControlKind::NestedDialog: return "CDappleNestedDialog";
    }
    return "none";
}
