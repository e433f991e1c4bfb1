#include "platform/user32/DisplayProbe.h"

#include <wayland-client-core.h>
#include <xcb/xcb.h>

namespace platform {

bool CanReachX11Display(const char* display)
{
    // xcb_connect never returns null: a failed connection is one in error.
    xcb_connection_t* c = ::xcb_connect(display, nullptr);
    const bool ok = ::xcb_connection_has_error(c) == 0;
    ::xcb_disconnect(c);
    return ok;
}

bool CanReachWaylandDisplay()
{
    wl_display* d = ::wl_display_connect(nullptr);
    if (d == nullptr)
        return false;
    // The compositor accepted the socket; a round trip shows it talks to us.
    const bool ok = ::wl_display_roundtrip(d) >= 0;
    ::wl_display_disconnect(d);
    return ok;
}

bool X11ConnectionBroken(void* connection)
{
    return connection != nullptr && ::xcb_connection_has_error(static_cast<xcb_connection_t*>(connection)) != 0;
}

}  // namespace platform
