#include "ui/skin/CSkinControl.h"

#include "ui/CDialog.h"
#include "ui/skin/SkinRoles.h"

void CSkinControl::SetUp(const CDialog& dialog, const CDialogControl&)
{
    m_dialog = &dialog;
}

const CDialogControl* CSkinControl::Control() const
{
    return m_dialog != nullptr ? m_dialog->GetDlgItem(m_id) : nullptr;
}

void CSkinControl::Paint(IDialogCanvas&, const CSkinControlState&) {}

void CSkinControl::PaintOverlay(IDialogCanvas& canvas, const CSkinControlState& state)
{
    const CDialogControl* c = Control();
    if (c != nullptr && (c->exStyle & WS_EX_CLIENTEDGE) != 0)
        PaintClientEdge(canvas, state.cx, state.cy);
}

CSkinPalette CSkinControl::Palette() const
{
    CSkinPalette p;
    p.window = SkinColour(SkinRole::kDialogBackground);
    p.windowText = SkinColour(SkinRole::kText);
    p.base = SkinColour(SkinRole::kControlBackground);
    p.text = SkinColour(SkinRole::kControlText);
    p.highlight = SkinColour(SkinRole::kHighlight);
    p.highlightedText = SkinColour(SkinRole::kHighlightText);
    p.disabledText = SkinColour(SkinRole::kDisabledText);
    p.button = SkinColour(SkinRole::kButtonFace);
    p.buttonText = SkinColour(SkinRole::kButtonText);
    return p;
}

void CSkinControl::PaintBackground(IDialogCanvas&, const RECT&) const {}

void PaintClientEdge(IDialogCanvas& canvas, int cx, int cy)
{
    constexpr int kEdge = 2;
    const COLORREF c = SkinColour(SkinRole::kCaptionBase);
    canvas.FillRect(MakeRect(0, 0, cx, kEdge), c);
    canvas.FillRect(MakeRect(0, cy - kEdge, cx, kEdge), c);
    canvas.FillRect(MakeRect(0, 0, kEdge, cy), c);
    canvas.FillRect(MakeRect(cx - kEdge, 0, kEdge, cy), c);
}
