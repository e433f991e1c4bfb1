#include "platform/user32/DisplayProbe.h"

#include "platform/kernel32/SystemLibrary.h"

#include <wayland-client-core.h>
#include <xcb/xcb.h>

namespace platform {

namespace {

// The X client library, loaded when a display is first asked about: the
// toolkit loads it too when it runs on X, and a program that never shows a
// dialog, or shows it on another platform, does without it.
class XcbLibrary : public SystemLibrary<XcbLibrary> {
public:
    decltype(&::xcb_connect) connect = nullptr;
    decltype(&::xcb_connection_has_error) connection_has_error = nullptr;
    decltype(&::xcb_disconnect) disconnect = nullptr;

private:
    friend SystemLibrary<XcbLibrary>;
    XcbLibrary()
    {
        Load("libxcb.so.1", Entry(connect, "xcb_connect"), Entry(connection_has_error, "xcb_connection_has_error"),
             Entry(disconnect, "xcb_disconnect"));
    }
};

// The Wayland client library, likewise.
class WaylandLibrary : public SystemLibrary<WaylandLibrary> {
public:
    decltype(&::wl_display_connect) display_connect = nullptr;
    decltype(&::wl_display_roundtrip) display_roundtrip = nullptr;
    decltype(&::wl_display_disconnect) display_disconnect = nullptr;

private:
    friend SystemLibrary<WaylandLibrary>;
    WaylandLibrary()
    {
        Load("libwayland-client.so.0", Entry(display_connect, "wl_display_connect"),
             Entry(display_roundtrip, "wl_display_roundtrip"), Entry(display_disconnect, "wl_display_disconnect"));
    }
};

}  // namespace

bool CanReachX11Display(const char* display)
{
    const XcbLibrary& xcb = XcbLibrary::Get();
    if (!xcb.Loaded())
        return false;
    // xcb_connect never returns null: a failed connection is one in error.
    xcb_connection_t* c = xcb.connect(display, nullptr);
    const bool ok = xcb.connection_has_error(c) == 0;
    xcb.disconnect(c);
    return ok;
}

bool CanReachWaylandDisplay()
{
    const WaylandLibrary& wayland = WaylandLibrary::Get();
    if (!wayland.Loaded())
        return false;
    wl_display* d = wayland.display_connect(nullptr);
    if (d == nullptr)
        return false;
    // The compositor accepted the socket; a round trip shows it talks to us.
    const bool ok = wayland.display_roundtrip(d) >= 0;
    wayland.display_disconnect(d);
    return ok;
}

bool X11ConnectionBroken(void* connection)
{
    const XcbLibrary& xcb = XcbLibrary::Get();
    return connection != nullptr && xcb.Loaded() &&
           xcb.connection_has_error(static_cast<xcb_connection_t*>(connection)) != 0;
}

}  // namespace platform
