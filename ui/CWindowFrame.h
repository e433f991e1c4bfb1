// CWindowFrame: the non-client area of a dialog window of a given style, as
// the system metrics size it: a border on every side (SM_CXFRAME with a
// sizing frame, SM_CXDLGFRAME for other framed windows) and a caption row
// (SM_CYCAPTION) below the top border when the style has a caption. The
// dialogs are frameless windows that paint this area themselves, so the
// window is exactly the outer size on every window system.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

// A point of a window: its place from the window's top left corner, with the
// window's size.
struct CWindowPoint {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    // pt and window in screen coordinates.
    static CWindowPoint Of(const RECT& window, POINT pt);
    bool Inside() const { return x >= 0 && y >= 0 && x < width && y < height; }
};

struct CWindowFrame {
    int border = 0;
    int caption = 0;
    bool sizing = false;

    static CWindowFrame ForStyle(DWORD style);
    // The client area's offset inside the window.
    int ClientLeft() const { return border; }
    int ClientTop() const { return border + caption; }
    // What the frame adds to the client size.
    int ExtraWidth() const { return 2 * border; }
    int ExtraHeight() const { return 2 * border + caption; }

    // The system's own hit test of a window of this frame whose outer
    // rectangle is window: HTCLIENT, HTCAPTION, the sizing codes of a
    // sizing frame (corners as far as the caption is high), HTBORDER on
    // another frame, HTNOWHERE outside. The frame has no caption buttons.
    int HitTest(const RECT& window, POINT pt) const;
};

// The system command the default handling of a press on the non-client
// area sends for a hit (the move of HTCAPTION is SC_MOVE | HTCAPTION, a
// sizing code SC_SIZE with its edge); 0 for a hit that sends none.
UINT DefaultNcButtonCommand(int hit);
