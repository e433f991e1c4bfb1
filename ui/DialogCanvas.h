// IDialogCanvas: the drawing surface the dialog view hands to the skin's
// painting (frame and caption, the client background, the skinned controls).
// It offers the few GDI operations the skin uses, in logical pixels of 96
// dots per inch; the toolkit's canvas maps them to the device, so that text
// and fills stay sharp at any device pixel ratio.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

#include <string>

// A font as the skin asks for it: a family at a pixel height and a weight
// (400 normal, 700 bold, 800 extra bold).
struct CFontDesc {
    std::string family;
    int pixelHeight = 0;
    int weight = 400;

    bool operator==(const CFontDesc&) const = default;
};

struct CTextExtent {
    int cx = 0;
    int cy = 0;
};

class IDialogCanvas {
public:
    virtual ~IDialogCanvas() = default;

    // Device pixels per logical pixel of the surface (2 on a doubled screen).
    virtual double PixelRatio() const = 0;
    virtual void FillRect(const RECT& r, COLORREF colour) = 0;
    virtual void FillEllipse(const RECT& r, COLORREF colour) = 0;
    // A dotted one-pixel rectangle just inside r: the keyboard focus.
    virtual void DrawFocusRect(const RECT& r, COLORREF colour) = 0;
    // The whole image into the target rectangle, smoothly scaled; an image of
    // the target's size times PixelRatio() lands pixel for pixel. Pixels with
    // alpha 0 leave the surface as it is.
    virtual void DrawImage(const platform::PixelImage& image, const RECT& target) = 0;
    // Text in r with the DrawText formats DT_LEFT, DT_CENTER, DT_RIGHT,
    // DT_VCENTER (also for wrapped text: the block is centred),
    // DT_WORDBREAK, DT_SINGLELINE, DT_NOPREFIX (without it "&x" underlines x
    // and "&&" is one ampersand) and DT_END_ELLIPSIS.
    virtual void DrawText(const std::string& utf8, const RECT& r, const CFontDesc& font, COLORREF colour,
                          UINT format) = 0;
    // The size the text takes in the font, wrapped at width with
    // DT_WORDBREAK; what DrawText would cover.
    virtual CTextExtent MeasureText(const std::string& utf8, const CFontDesc& font, int width, UINT format) const = 0;
    // An icon of the desktop's theme ("dialog-warning" ...) scaled into r.
    virtual void DrawThemeIcon(const std::string& name, const RECT& r) = 0;
};

inline RECT MakeRect(int x, int y, int cx, int cy) { return RECT{x, y, x + cx, y + cy}; }
