// Which wrapper skins a child window: the mapping of window class names and
// styles to the skin's control kinds.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>

enum class SkinControlKind {
    None,
    Static,          // CBlueStatic
    Edit,            // CBlueEdit
    RichEdit,        // CBlueRichEdit
    ListBox,         // CBlueListBox
    Progress,        // CBlueProgressCtrl
    Slider,          // CBlueSliderCtrl
    SpinButton,      // CBlueSpinButtonCtrl
    ListCtrl,        // CBlueListCtrl
    TreeCtrl,        // CBlueTreeCtrl
    TabCtrl,         // CDappleTabCtrl
    SimpleComboBox,  // CBlueSimpleComboBox
    ComboBox,        // CBlueComboBox
    ComboLBox,       // CBlueComboLBox
    Toolbar,         // CBlueToolbar
    Grip,            // CBlueGrip
    BitmapButton,    // CDappleBitmapButton
    RadioButton,     // CBlueRadioButton
    GroupBox,        // CBlueGroupBox
    CheckBox,        // CBlueCheckBox
    NestedDialog,    // CDappleNestedDialog
};

// The extended style that marks a list or tree view for the skin; the skin
// removes it from the views it takes.
constexpr DWORD kSkinViewMarker = 0x20;

// The kind for a child of window class className (ASCII case ignored) with
// style and exStyle; None for a child the skin leaves alone. A nested
// dialog ("#32770") is taken only when the skinned window is a file dialog.
SkinControlKind ClassifySkinControl(const std::string& className, DWORD style, DWORD exStyle, bool inFileDialog);

// The wrapper class's name, for diagnostics and tests.
const char* SkinControlKindName(SkinControlKind kind);
