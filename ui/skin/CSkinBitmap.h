// CSkinBitmap: a bitmap resource (RT_BITMAP) of the program as the skin
// draws it: its pixels, and its size in logical pixels of 96 dots per inch,
// taken from the resolution the bitmap names (the skin's own art is drawn
// at 192 dots per inch, so that it stays sharp on a doubled screen).
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

#include <memory>

class CSkinBitmap {
public:
    // The bitmap of that resource id, loaded once per process; null when the
    // program has no such bitmap or it cannot be decoded (id 0 included).
    static std::shared_ptr<const CSkinBitmap> Load(UINT id);

    const platform::PixelImage& Pixels() const { return m_pixels; }
    // The pixels with the key colour, the colour of the pixel at (0, 0),
    // made transparent.
    const platform::PixelImage& Keyed() const { return m_keyed; }
    int LogicalWidth() const { return m_logicalWidth; }
    int LogicalHeight() const { return m_logicalHeight; }

    // Builds one from decoded pixels and a resolution in pels per metre
    // (0: 96 dots per inch).
    CSkinBitmap(platform::PixelImage pixels, LONG pelsPerMetreX, LONG pelsPerMetreY);

private:
    platform::PixelImage m_pixels;
    platform::PixelImage m_keyed;
    int m_logicalWidth = 0;
    int m_logicalHeight = 0;
};
