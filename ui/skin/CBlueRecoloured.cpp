#include "ui/skin/CBlueRecoloured.h"

#include "ui/skin/SkinRoles.h"

template <SkinControlKind K>
CSkinPalette CBlueRecoloured<K>::Palette() const
{
    CSkinPalette p = CSkinControl::Palette();
    // Tabs, the toolbar and the slider's handle take the caption's gold;
    // the others keep the skin's button face.
    if constexpr (K == SkinControlKind::TabCtrl || K == SkinControlKind::Toolbar || K == SkinControlKind::Slider)
        p.button = SkinColour(SkinRole::kCaptionTo);
    return p;
}

template class CBlueRecoloured<SkinControlKind::ListBox>;
template class CBlueRecoloured<SkinControlKind::Slider>;
template class CBlueRecoloured<SkinControlKind::SpinButton>;
template class CBlueRecoloured<SkinControlKind::ListCtrl>;
template class CBlueRecoloured<SkinControlKind::TreeCtrl>;
template class CBlueRecoloured<SkinControlKind::TabCtrl>;
template class CBlueRecoloured<SkinControlKind::SimpleComboBox>;
template class CBlueRecoloured<SkinControlKind::ComboBox>;
template class CBlueRecoloured<SkinControlKind::ComboLBox>;
template class CBlueRecoloured<SkinControlKind::Toolbar>;
template class CBlueRecoloured<SkinControlKind::Grip>;
template class CBlueRecoloured<SkinControlKind::NestedDialog>;
