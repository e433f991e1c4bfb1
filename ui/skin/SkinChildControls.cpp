#include "ui/skin/SkinChildControls.h"

#include "ui/skin/CBlueCheckBox.h"
#include "ui/skin/CBlueEdit.h"
#include "ui/skin/CBlueGroupBox.h"
#include "ui/skin/CBlueProgressCtrl.h"
#include "ui/skin/CBlueRecoloured.h"
#include "ui/skin/CBlueStatic.h"
#include "ui/skin/CDappleBitmapButton.h"
#include "ui/skin/CDappleDialog.h"

std::unique_ptr<CSkinControl> MakeSkinControl(SkinControlKind kind, WORD id)
{
    switch (kind) {
    case SkinControlKind::None: return nullptr;
    case SkinControlKind::Static: return std::make_unique<CBlueStatic>(id);
    case SkinControlKind::Edit: return std::make_unique<CBlueEdit>(id);
    case SkinControlKind::RichEdit: return std::make_unique<CBlueRichEdit>(id);
    case SkinControlKind::ListBox: return std::make_unique<CBlueListBox>(id);
    case SkinControlKind::Progress: return std::make_unique<CBlueProgressCtrl>(id);
    case SkinControlKind::Slider: return std::make_unique<CBlueSliderCtrl>(id);
    case SkinControlKind::SpinButton: return std::make_unique<CBlueSpinButtonCtrl>(id);
    case SkinControlKind::ListCtrl: return std::make_unique<CBlueListCtrl>(id);
    case SkinControlKind::TreeCtrl: return std::make_unique<CBlueTreeCtrl>(id);
    case SkinControlKind::TabCtrl: return std::make_unique<CDappleTabCtrl>(id);
    case SkinControlKind::SimpleComboBox: return std::make_unique<CBlueSimpleComboBox>(id);
    case SkinControlKind::ComboBox: return std::make_unique<CBlueComboBox>(id);
    case SkinControlKind::ComboLBox: return std::make_unique<CBlueComboLBox>(id);
    case SkinControlKind::Toolbar: return std::make_unique<CBlueToolbar>(id);
    case SkinControlKind::Grip: return std::make_unique<CBlueGrip>(id);
    case SkinControlKind::BitmapButton: return std::make_unique<CDappleBitmapButton>(id);
    case SkinControlKind::RadioButton: return std::make_unique<CBlueRadioButton>(id);
    case SkinControlKind::GroupBox: return std::make_unique<CBlueGroupBox>(id);
    case SkinControlKind::CheckBox: return std::make_unique<CBlueCheckBox>(id);
    case SkinControlKind::NestedDialog: return std::make_unique<CDappleNestedDialog>(id);
    }
    return nullptr;
}

void SkinChildControls(CDappleDialog& window)
{
    // The dialogs of this program are never file dialogs or property sheets:
    // every control is a direct child of the dialog.
    constexpr bool kFileDialog = false;
    window.ClearSkinnedControls();
    for (const CDialogControl& c : window.Controls()) {
        const SkinControlKind kind = ClassifySkinControl(c.ClassName(), c.style, c.exStyle, kFileDialog);
        std::unique_ptr<CSkinControl> wrapper = MakeSkinControl(kind, c.id);
        if (wrapper == nullptr)
            continue;
        // The views drop the marker that asked for the skin.
        if (kind == SkinControlKind::ListCtrl || kind == SkinControlKind::TreeCtrl)
            window.ModifyDlgItemStyleEx(c.id, kSkinViewMarker, 0);
        wrapper->SetUp(window, c);
        window.AddSkinnedControl(std::move(wrapper));
        // The control repaints in its new look (WM_NCPAINT and an invalidation).
        if (IDialogView* view = window.View())
            view->RepaintControl(c.id);
    }
    window.Invalidate();
}
