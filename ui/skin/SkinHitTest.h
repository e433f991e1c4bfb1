// The skinned window's answers to the non-client messages: where a point of
// the window is (WM_NCHITTEST) and what a press of the left button there
// asks for (WM_NCLBUTTONDOWN).
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

// The hit code of pt (screen coordinates) in a window of that style whose
// outer rectangle is window, or 0 (HTNOWHERE) for the default handling:
// - the caption buttons, each SM_CYCAPTION - 4 wide from the right of the
//   caption: HTCLOSE with WS_SYSMENU, then HTMAXBUTTON with WS_MAXIMIZEBOX,
//   then HTMINBUTTON with WS_MINIMIZEBOX;
// - with a sizing frame, the first 22 pixels of the caption are HTSYSMENU,
//   and the top, left and right edges and the top corners give their sizing
//   codes (the bottom edge and corners go to the default handling);
// - on any other frame the edges are HTBORDER;
// - the rest of the caption is HTCAPTION, or HTBORDER when maximised;
// - the client area and points outside: 0.
int SkinNcHitTest(DWORD style, bool maximised, const RECT& window, POINT pt);

// The system command a press on a hit posts: SC_MOUSEMENU for HTSYSMENU,
// SC_MINIMIZE (SC_RESTORE when minimised) for HTMINBUTTON, SC_MAXIMIZE
// (SC_RESTORE when maximised) for HTMAXBUTTON, SC_CLOSE for HTCLOSE; 0 for
// every other hit, which gets the default handling.
UINT SkinNcButtonCommand(int hit, bool minimised, bool maximised);
