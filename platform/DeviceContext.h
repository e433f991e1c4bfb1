// Device contexts: where the program's painting goes. The GUI layer gives a
// paint handler a context over its drawing surface; the calls below are the
// GDI ones the program uses. A context is an object of a class derived from
// DeviceContext (HDC points at it), so the GUI toolkit stays out of this
// layer: the toolkit's adapter implements the drawing of pixel images.
#pragma once

#include "platform/WinTypes.h"
#include "platform/WinUser.h"

#include <cstdint>
#include <vector>

// GetDeviceCaps indexes.
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;

// GetSystemMetrics indexes.
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CXICON = 11;
constexpr int SM_CYICON = 12;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;
using LPCRECT = const RECT*;

namespace platform {

// A decoded image: width × height pixels, rows top to bottom, each pixel
// 0xAARRGGBB (not premultiplied).
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

class DeviceContext {
public:
    virtual ~DeviceContext() = default;
    // LOGPIXELSX / LOGPIXELSY: the surface's dots per inch; 0 for others.
    virtual int Caps(int index) const = 0;
    // Draws the part (sx, sy, sw, sh) of image scaled into the rectangle
    // (x, y, w, h); negative sh or sw mirror that direction.
    virtual void DrawImage(const PixelImage& image, int x, int y, int w, int h, int sx, int sy, int sw, int sh) = 0;
};

}  // namespace platform

using HDC = platform::DeviceContext*;

int GetDeviceCaps(HDC hdc, int index);
int GetSystemMetrics(int index);

// Icons: LoadIconA finds a group-icon resource (RT_GROUP_ICON, the bytes of an
// .ico file) and keeps its image closest to SM_CXICON × SM_CYICON. DrawIcon
// draws it at its own size. Icons loaded from resources are shared and need
// no destruction, as on Windows.
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
BOOL DrawIcon(HDC hdc, int x, int y, HICON hIcon);
// The icon's pixels, for a toolkit that shows it as the window's icon; null
// for a null or unknown handle.
const platform::PixelImage* IconImage(HICON hIcon);
