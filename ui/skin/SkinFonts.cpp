#include "ui/skin/SkinFonts.h"

#include "platform/kernel32/MulDiv.h"
#include "ui/CDialog.h"

namespace {

constexpr int kGuiFontPoints = 8;
constexpr int kScreenDpi = 96;
constexpr int kSkinWeight = 800;

}  // namespace

const CFontSpec& SkinGuiFont()
{
    static const CFontSpec font{CDialog::kFontFamily, MulDiv(kGuiFontPoints, kScreenDpi, 72), 400};
    return font;
}

const CFontSpec& SkinBoldFont()
{
    static const CFontSpec font{SkinGuiFont().family, SkinGuiFont().pixelHeight, kSkinWeight};
    return font;
}

const CFontSpec& SkinLargeBoldFont()
{
    static const CFontSpec font{SkinGuiFont().family, SkinGuiFont().pixelHeight * 7 / 5, kSkinWeight};
    return font;
}
