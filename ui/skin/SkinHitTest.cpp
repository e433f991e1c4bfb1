#include "ui/skin/SkinHitTest.h"

#include "platform/user32/WinUser.h"
#include "ui/CWindowFrame.h"

namespace {

// The width of the caption's system-menu box on a sizing frame.
constexpr int kSysMenuWidth = 22;

}  // namespace

int SkinNcHitTest(DWORD style, bool maximised, const RECT& window, POINT pt)
{
    const CWindowFrame frame = CWindowFrame::ForStyle(style);
    const int b = frame.border;
    const CWindowPoint p = CWindowPoint::Of(window, pt);
    if (!p.Inside())
        return HTNOWHERE;
    const int x = p.x;
    const int y = p.y;
    const int w = p.width;
    const int h = p.height;

    if (frame.caption > 0 && x >= b && x < w - b && y >= b && y < b + frame.caption) {
        const int buttonWidth = GetSystemMetrics(SM_CYCAPTION) - 4;
        int right = w - b;
        const struct {
            DWORD bit;
            int hit;
        } buttons[] = {{WS_SYSMENU, HTCLOSE}, {WS_MAXIMIZEBOX, HTMAXBUTTON}, {WS_MINIMIZEBOX, HTMINBUTTON}};
        for (const auto& button : buttons) {
            if ((style & button.bit) == 0)
                continue;
            if (x >= right - buttonWidth)
                return button.hit;
            right -= buttonWidth;
        }
        if (frame.sizing && x < b + kSysMenuWidth)
            return HTSYSMENU;
        return maximised ? HTBORDER : HTCAPTION;
    }

    const bool left = x < b;
    const bool right = x >= w - b;
    const bool top = y < b;
    const bool bottom = y >= h - b;
    if (!left && !right && !top && !bottom)
        return HTNOWHERE;
    if (!frame.sizing)
        return HTBORDER;
    const int corner = b + frame.caption;
    if (top)
        return x < corner ? HTTOPLEFT : x >= w - corner ? HTTOPRIGHT : HTTOP;
    if (bottom || y >= h - corner)
        return HTNOWHERE;
    if (left)
        return y < corner ? HTTOPLEFT : HTLEFT;
    return y < corner ? HTTOPRIGHT : HTRIGHT;
}

UINT SkinNcButtonCommand(int hit, bool minimised, bool maximised)
{
    switch (hit) {
    case HTSYSMENU: return SC_MOUSEMENU;
    case HTMINBUTTON: return minimised ? SC_RESTORE : SC_MINIMIZE;
    case HTMAXBUTTON: return maximised ? SC_RESTORE : SC_MAXIMIZE;
    case HTCLOSE: return SC_CLOSE;
    default: return 0;
    }
}
