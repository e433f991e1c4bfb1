// CBlueProgressCtrl: a progress bar whose filled part is a gradient from
// colour 42 to colour 43 over 100 steps.
#pragma once

#include "ui/skin/CSkinControl.h"
#include "ui/skin/SkinColour.h"

class CBlueProgressCtrl : public CSkinControl {
public:
    explicit CBlueProgressCtrl(WORD id) : CSkinControl(SkinControlKind::Progress, id) {}

    void SetUp(const CDialog& dialog, const CDialogControl& control) override;
    const CSkinGradient& Gradient() const { return m_gradient; }

    bool PaintsItself() const override { return true; }
    void Paint(IDialogCanvas& canvas, const CSkinControlState& state) override;

private:
    CSkinGradient m_gradient;
};
