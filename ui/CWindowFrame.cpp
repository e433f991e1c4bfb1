#include "ui/CWindowFrame.h"

#include "platform/gdi32/DeviceContext.h"
#include "platform/user32/WinUser.h"

CWindowFrame CWindowFrame::ForStyle(DWORD style)
{
    CWindowFrame f;
    f.sizing = (style & WS_THICKFRAME) != 0;
    if (f.sizing)
        f.border = GetSystemMetrics(SM_CXFRAME);
    else if ((style & (WS_DLGFRAME | WS_BORDER)) != 0 || (style & DS_MODALFRAME) != 0)
        f.border = GetSystemMetrics(SM_CXDLGFRAME);
    if ((style & WS_CAPTION) == WS_CAPTION)
        f.caption = GetSystemMetrics(SM_CYCAPTION);
    return f;
}

CWindowPoint CWindowPoint::Of(const RECT& window, POINT pt)
{
    return CWindowPoint{pt.x - window.left, pt.y - window.top, window.right - window.left,
                        window.bottom - window.top};
}

int CWindowFrame::HitTest(const RECT& window, POINT pt) const
{
    const CWindowPoint p = CWindowPoint::Of(window, pt);
    if (!p.Inside())
        return HTNOWHERE;
    const int x = p.x;
    const int y = p.y;
    const int w = p.width;
    const int h = p.height;
    const bool left = x < border;
    const bool right = x >= w - border;
    const bool top = y < border;
    const bool bottom = y >= h - border;
    if (left || right || top || bottom) {
        if (!sizing)
            return HTBORDER;
        const int corner = border + caption;
        const bool nearLeft = x < corner;
        const bool nearRight = x >= w - corner;
        const bool nearTop = y < corner;
        const bool nearBottom = y >= h - corner;
        if ((top || left) && nearTop && nearLeft)
            return HTTOPLEFT;
        if ((top || right) && nearTop && nearRight)
            return HTTOPRIGHT;
        if ((bottom || left) && nearBottom && nearLeft)
            return HTBOTTOMLEFT;
        if ((bottom || right) && nearBottom && nearRight)
            return HTBOTTOMRIGHT;
        return top ? HTTOP : bottom ? HTBOTTOM : left ? HTLEFT : HTRIGHT;
    }
    return y < border + caption ? HTCAPTION : HTCLIENT;
}

UINT DefaultNcButtonCommand(int hit)
{
    switch (hit) {
    case HTCAPTION: return SC_MOVE | HTCAPTION;
    case HTSYSMENU: return SC_MOUSEMENU;
    case HTMINBUTTON: return SC_MINIMIZE;
    case HTMAXBUTTON: return SC_MAXIMIZE;
    case HTCLOSE: return SC_CLOSE;
    default:
        // The sizing codes follow each other as the WMSZ_ edges do.
        if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT)
            return SC_SIZE | static_cast<UINT>(hit - HTLEFT + 1);
        return 0;
    }
}
