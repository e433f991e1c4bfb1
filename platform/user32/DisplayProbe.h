// Whether the display server that the GUI toolkit will use lets us in,
// without a toolkit: the same connection the toolkit makes, with the same
// $DISPLAY and X authority (xcb), or to the same Wayland compositor. A
// toolkit that cannot connect ends the process, so the dialogs ask first; a
// server that refuses us (no or a wrong authority cookie) counts as none.
//
// The X and Wayland client libraries are loaded at the first question, so
// that a run that shows no dialog never loads them.
#pragma once

namespace platform {

// The X server of $DISPLAY (or of the given display name) accepts a
// connection from us.
bool CanReachX11Display(const char* display = nullptr);
// The Wayland compositor of $WAYLAND_DISPLAY accepts a connection from us.
bool CanReachWaylandDisplay();

// Whether an open X connection (an xcb_connection_t, such as the toolkit's)
// has broken: the server went away or shut us out.
bool X11ConnectionBroken(void* connection);

}  // namespace platform
