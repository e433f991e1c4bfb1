#include "ui/skin/CDappleBitmapButton.h"

#include "ui/skin/CDappleDialog.h"
#include "ui/skin/SkinFonts.h"
#include "ui/skin/SkinRoles.h"

#include <cmath>

int CDappleBitmapButton::ImageIndex(DWORD style, int textHeight, int buttonHeight)
{
    if ((style & BS_FLAT) != 0)
        return kFlatImage;
    return textHeight + 10 < buttonHeight ? kTallImage : kImage;
}

void CDappleBitmapButton::SetUp(const CDialog& dialog, const CDialogControl& control)
{
    CSkinControl::SetUp(dialog, control);
    SetImageIndex(ImageIndex(control.style, dialog.BaseUnits().cy, control.rect.cy));
}

void CDappleBitmapButton::SetImageIndex(int index)
{
    m_index = index;
    m_images.reset();
    if (const auto* dialog = dynamic_cast<const CDappleDialog*>(Dialog()))
        m_images = dialog->ButtonImages(SkinBitmapId(index));
}

RECT CDappleBitmapButton::TextRect(int cx, int cy)
{
    return RECT{4, 2, cx - 4, cy - 2};
}

void CDappleBitmapButton::Paint(IDialogCanvas& canvas, const CSkinControlState& state)
{
    const RECT whole = MakeRect(0, 0, state.cx, state.cy);
    const ButtonImageState image = !state.enabled ? ButtonImageState::Disabled
                                   : state.pressed ? ButtonImageState::Pressed
                                   : state.hot     ? ButtonImageState::Hot
                                                   : ButtonImageState::Normal;
    const double ratio = canvas.PixelRatio();
    const platform::PixelImage* face = nullptr;
    if (m_images != nullptr)
        face = &m_images->Image(image, static_cast<int>(std::lround(state.cx * ratio)),
                                static_cast<int>(std::lround(state.cy * ratio)), ratio);
    if (face != nullptr && face->width > 0) {
        canvas.DrawImage(*face, whole);
    } else {
        // No image: a plain face with a one-pixel rim.
        const COLORREF rim = SkinColour(!state.enabled ? SkinRole::kDisabledText
                                        : state.hot    ? SkinRole::kHighlight
                                                       : SkinRole::kLines);
        canvas.FillRect(whole, rim);
        canvas.FillRect(RECT{1, 1, state.cx - 1, state.cy - 1},
                        SkinColour(state.pressed ? SkinRole::kDisabledText : SkinRole::kButtonFace));
    }
    RECT text = TextRect(state.cx, state.cy);
    if (state.pressed) {
        ++text.left;
        ++text.right;
        ++text.top;
        ++text.bottom;
    }
    const CDialogControl* c = Control();
    const CFontDesc& font = c != nullptr && c->font != nullptr ? *c->font : SkinBoldFont();
    canvas.DrawText(state.text, text, font,
                    SkinColour(state.enabled ? SkinRole::kButtonText : SkinRole::kDisabledText), kTextFormat);
    if (state.focused)
        canvas.DrawFocusRect(RECT{3, 3, state.cx - 3, state.cy - 3}, SkinColour(SkinRole::kButtonText));
}
