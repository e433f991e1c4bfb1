#include "ui/skin/SkinFonts.h"

#include "platform/kernel32/MulDiv.h"
#include "ui/CDialog.h"

namespace {

constexpr int kGuiFontPoints = 8;
constexpr int kScreenDpi = 96;
constexpr int kSkinWeight = 800;

}  // namespace

const CFontDesc& SkinGuiFont()
{
    static const CFontDesc font{CDialog::kFontFamily, MulDiv(kGuiFontPoints, kScreenDpi, 72), 400};
    return font;
}

const CFontDesc& SkinBoldFont()
{
    static const CFontDesc font{SkinGuiFont().family, SkinGuiFont().pixelHeight, kSkinWeight};
    return font;
}

const CFontDesc& SkinLargeBoldFont()
{
    static const CFontDesc font{SkinGuiFont().family, SkinGuiFont().pixelHeight * 7 / 5, kSkinWeight};
    return font;
}
