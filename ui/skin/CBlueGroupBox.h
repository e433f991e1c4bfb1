// CBlueGroupBox: a group box whose inside the dialog fills with a gradient
// from colour 29 to colour 30 over (width - 9) steps; the box draws its
// frame and title over that.
#pragma once

#include "ui/skin/CSkinControl.h"
#include "ui/skin/SkinColour.h"

class CBlueGroupBox : public CSkinControl {
public:
    explicit CBlueGroupBox(WORD id) : CSkinControl(SkinControlKind::GroupBox, id) {}

    void SetUp(const CDialog& dialog, const CDialogControl& control) override;
    const CSkinGradient& Gradient() const { return m_gradient; }

    bool PaintsItself() const override { return true; }
    void Paint(IDialogCanvas& canvas, const CSkinControlState& state) override;
    void PaintBackground(IDialogCanvas& canvas, const RECT& rect) const override;

private:
    CSkinGradient m_gradient;
};
