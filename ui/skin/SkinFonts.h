// The skin's fonts. DEFAULT_GUI_FONT is the dialog font family at 8 points;
// the skin makes two fonts from its description once per process, with
// weight 800: a bold font of the same height, for button captions and the
// window caption, and a large bold font of 7/5 the height, for the message
// box text.
#pragma once

#include "ui/DialogCanvas.h"

const CFontDesc& SkinGuiFont();
const CFontDesc& SkinBoldFont();
const CFontDesc& SkinLargeBoldFont();
