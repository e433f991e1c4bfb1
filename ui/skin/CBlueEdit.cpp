#include "ui/skin/CBlueEdit.h"

#include "ui/CDialog.h"

bool CBlueEdit::SystemFrame() const
{
    const CDialogControl* c = Control();
    return c == nullptr || (c->exStyle & WS_EX_CLIENTEDGE) == 0;
}

bool CBlueRichEdit::SystemFrame() const
{
    const CDialogControl* c = Control();
    return c != nullptr && (c->style & (WS_VSCROLL | WS_HSCROLL)) != 0 && (c->exStyle & WS_EX_CLIENTEDGE) == 0;
}

CSkinPalette CBlueRichEdit::Palette() const
{
    CSkinPalette p = CBlueEdit::Palette();
    const CDialogControl* c = Control();
    if (c != nullptr && c->hasBackground)
        p.base = c->background;
    return p;
}
