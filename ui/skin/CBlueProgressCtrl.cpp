#include "ui/skin/CBlueProgressCtrl.h"

#include "ui/skin/SkinRoles.h"

#include <algorithm>

void CBlueProgressCtrl::SetUp(const CDialog& dialog, const CDialogControl& control)
{
    CSkinControl::SetUp(dialog, control);
    m_gradient = CSkinGradient(SkinColour(SkinRole::kProgressFrom), SkinColour(SkinRole::kProgressTo),
                               SkinRole::kProgressSteps);
}

void CBlueProgressCtrl::Paint(IDialogCanvas& canvas, const CSkinControlState& state)
{
    canvas.FillRect(MakeRect(0, 0, state.cx, state.cy), SkinColour(SkinRole::kLines));
    const RECT inside{1, 1, state.cx - 1, state.cy - 1};
    canvas.FillRect(inside, SkinColour(SkinRole::kControlBackground));
    const int filled = (inside.right - inside.left) * std::clamp(state.position, 0, 100) / 100;
    if (filled > 0)
        m_gradient.Fill(canvas, RECT{inside.left, inside.top, inside.left + filled, inside.bottom},
                        CSkinGradient::Direction::LeftToRight);
}
