// CBlueStatic: a static text in the skin's colours. The text is colour 61,
// or 62 while the control is disabled, in DEFAULT_GUI_FONT (or the font the
// control was given) on a transparent background, so that the parent's
// background shows behind it. It is aligned as the style says (SS_CENTER,
// SS_RIGHT, else left) and always centred vertically; it wraps at words
// unless the style is SS_LEFTNOWORDWRAP, and "&" marks a mnemonic unless
// the style has SS_NOPREFIX. A client edge gets the skin's two-pixel border.
#pragma once

#include "ui/skin/CSkinControl.h"

class CBlueStatic : public CSkinControl {
public:
    explicit CBlueStatic(WORD id) : CSkinControl(SkinControlKind::Static, id) {}

    bool PaintsItself() const override { return true; }
    void Paint(IDialogCanvas& canvas, const CSkinControlState& state) override;

    // The DrawText format for a static style.
    static UINT TextFormat(DWORD style);
};
