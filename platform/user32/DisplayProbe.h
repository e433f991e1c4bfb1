// Whether a display server can be reached, without a toolkit: a connection to
// the X server's socket named by $DISPLAY, or to the Wayland compositor's
// socket. A toolkit that starts without a display ends the process, so the
// dialogs ask first.
#pragma once

namespace platform {

// $DISPLAY (":N", "unix:N", "host:N" with TCP port 6000 + N, ":N.S"),
// or the given text when not null.
bool CanReachX11Display(const char* display = nullptr);
// $WAYLAND_DISPLAY in $XDG_RUNTIME_DIR (an absolute name as it stands).
bool CanReachWaylandDisplay();

}  // namespace platform
