#include "ui/skin/CBlueStatic.h"

#include "ui/CDialog.h"
#include "ui/skin/SkinFonts.h"
#include "ui/skin/SkinRoles.h"

UINT CBlueStatic::TextFormat(DWORD style)
{
    UINT format = DT_VCENTER;
    const DWORD type = style & SS_TYPEMASK;
    if (type == SS_CENTER)
        format |= DT_CENTER;
    else if (type == SS_RIGHT)
        format |= DT_RIGHT;
    format |= type == SS_LEFTNOWORDWRAP ? DT_SINGLELINE : DT_WORDBREAK;
    if ((style & SS_NOPREFIX) != 0)
        format |= DT_NOPREFIX;
    return format;
}

void CBlueStatic::Paint(IDialogCanvas& canvas, const CSkinControlState& state)
{
    const CDialogControl* c = Control();
    const DWORD style = c != nullptr ? c->style : 0;
    const bool edge = c != nullptr && (c->exStyle & WS_EX_CLIENTEDGE) != 0;
    const int inset = edge ? 2 : 0;
    const RECT r{inset, inset, state.cx - inset, state.cy - inset};
    const CFontDesc& font = c != nullptr && c->font != nullptr ? *c->font : SkinGuiFont();
    canvas.DrawText(state.text, r, font, SkinColour(state.enabled ? SkinRole::kText : SkinRole::kDisabledText),
                    TextFormat(style));
    if (edge)
        PaintClientEdge(canvas, state.cx, state.cy);
}
