#include "ui/skin/CBlueCheckBox.h"

#include "ui/skin/SkinFonts.h"
#include "ui/skin/SkinRoles.h"

namespace {

constexpr int kBox = 13;

enum class Mark { Box, Circle };

void PaintChoice(IDialogCanvas& canvas, const CSkinControlState& state, Mark mark)
{
    const int top = (state.cy - kBox) / 2;
    const RECT box = MakeRect(0, top, kBox, kBox);
    const RECT inside{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    const RECT dot{box.left + 3, box.top + 3, box.right - 3, box.bottom - 3};
    const COLORREF rim = SkinColour(state.enabled ? SkinRole::kButtonText : SkinRole::kDisabledText);
    const COLORREF field = SkinColour(SkinRole::kControlBackground);
    const COLORREF fill = SkinColour(state.enabled ? SkinRole::kHighlight : SkinRole::kDisabledText);
    if (mark == Mark::Box) {
        canvas.FillRect(box, rim);
        canvas.FillRect(inside, field);
        if (state.checked)
            canvas.FillRect(dot, fill);
    } else {
        canvas.FillEllipse(box, rim);
        canvas.FillEllipse(inside, field);
        if (state.checked)
            canvas.FillEllipse(dot, fill);
    }
    const RECT text{kBox + 4, 0, state.cx, state.cy};
    canvas.DrawText(state.text, text, SkinGuiFont(),
                    SkinColour(state.enabled ? SkinRole::kText : SkinRole::kDisabledText),
                    DT_LEFT | DT_VCENTER | DT_WORDBREAK);
    if (state.focused)
        canvas.DrawFocusRect(RECT{kBox + 2, 0, state.cx, state.cy}, SkinColour(SkinRole::kButtonText));
}

}  // namespace

void CBlueCheckBox::Paint(IDialogCanvas& canvas, const CSkinControlState& state)
{
    PaintChoice(canvas, state, Mark::Box);
}

void CBlueRadioButton::Paint(IDialogCanvas& canvas, const CSkinControlState& state)
{
    PaintChoice(canvas, state, Mark::Circle);
}
