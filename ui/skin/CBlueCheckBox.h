// CBlueCheckBox and CBlueRadioButton: check boxes (also three-state) and
// radio buttons drawn in the skin's colours: a box or circle with a rim in
// colour 2 on colour 18, filled with colour 5 when checked, and the text in
// the static text's colours beside it.
#pragma once

#include "ui/skin/CSkinControl.h"

class CBlueCheckBox : public CSkinControl {
public:
    explicit CBlueCheckBox(WORD id) : CSkinControl(SkinControlKind::CheckBox, id) {}
    bool PaintsItself() const override { return true; }
    void Paint(IDialogCanvas& canvas, const CSkinControlState& state) override;
};

class CBlueRadioButton : public CSkinControl {
public:
    explicit CBlueRadioButton(WORD id) : CSkinControl(SkinControlKind::RadioButton, id) {}
    bool PaintsItself() const override { return true; }
    void Paint(IDialogCanvas& canvas, const CSkinControlState& state) override;
};
