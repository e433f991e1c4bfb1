#include "ui/skin/CBlueGroupBox.h"

#include "ui/CDialog.h"
#include "ui/skin/SkinFonts.h"
#include "ui/skin/SkinRoles.h"

#include <algorithm>

namespace {

// The frame runs through the middle of the title's line.
int FrameTop() { return SkinGuiFont().pixelHeight / 2 + 1; }

}  // namespace

void CBlueGroupBox::SetUp(const CDialog& dialog, const CDialogControl& control)
{
    CSkinControl::SetUp(dialog, control);
    m_gradient = CSkinGradient(SkinColour(SkinRole::kGroupFrom), SkinColour(SkinRole::kGroupTo), control.rect.cx - 9);
}

void CBlueGroupBox::PaintBackground(IDialogCanvas& canvas, const RECT& rect) const
{
    m_gradient.Fill(canvas, RECT{rect.left + 1, rect.top + FrameTop() + 1, rect.right - 1, rect.bottom - 1},
                    CSkinGradient::Direction::LeftToRight);
}

void CBlueGroupBox::Paint(IDialogCanvas& canvas, const CSkinControlState& state)
{
    const COLORREF line = SkinColour(SkinRole::kLines);
    const int top = FrameTop();
    canvas.FillRect(RECT{0, top, state.cx, top + 1}, line);
    canvas.FillRect(RECT{0, state.cy - 1, state.cx, state.cy}, line);
    canvas.FillRect(RECT{0, top, 1, state.cy}, line);
    canvas.FillRect(RECT{state.cx - 1, top, state.cx, state.cy}, line);
    if (state.text.empty())
        return;
    const CFontDesc& font = SkinGuiFont();
    const CTextExtent extent = canvas.MeasureText(state.text, font, state.cx - 16, DT_SINGLELINE);
    const RECT title = MakeRect(8, 0, std::min(extent.cx + 4, state.cx - 16), font.pixelHeight + 4);
    // The title interrupts the frame line on the dialog's colour.
    canvas.FillRect(title, SkinColour(SkinRole::kDialogBackground));
    canvas.DrawText(state.text, title, font, SkinColour(state.enabled ? SkinRole::kText : SkinRole::kDisabledText),
                    DT_CENTER | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
}
