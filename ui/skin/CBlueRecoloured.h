// The wrappers that give a standard control the skin's colours and nothing
// more: the toolkit draws the control in the palette they give.
#pragma once

#include "ui/skin/CSkinControl.h"

template <SkinControlKind K>
class CBlueRecoloured : public CSkinControl {
public:
    explicit CBlueRecoloured(WORD id) : CSkinControl(K, id) {}
    CSkinPalette Palette() const override;
};

using CBlueListBox = CBlueRecoloured<SkinControlKind::ListBox>;
using CBlueSliderCtrl = CBlueRecoloured<SkinControlKind::Slider>;
using CBlueSpinButtonCtrl = CBlueRecoloured<SkinControlKind::SpinButton>;
using CBlueListCtrl = CBlueRecoloured<SkinControlKind::ListCtrl>;
using CBlueTreeCtrl = CBlueRecoloured<SkinControlKind::TreeCtrl>;
using CDappleTabCtrl = CBlueRecoloured<SkinControlKind::TabCtrl>;
using CBlueSimpleComboBox = CBlueRecoloured<SkinControlKind::SimpleComboBox>;
using CBlueComboBox = CBlueRecoloured<SkinControlKind::ComboBox>;
using CBlueComboLBox = CBlueRecoloured<SkinControlKind::ComboLBox>;
using CBlueToolbar = CBlueRecoloured<SkinControlKind::Toolbar>;
using CBlueGrip = CBlueRecoloured<SkinControlKind::Grip>;
using CDappleNestedDialog = CBlueRecoloured<SkinControlKind::NestedDialog>;
