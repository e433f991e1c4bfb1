// CButtonImageSet: the state images of a bitmap button, made from the
// skin's button bitmap. The bitmap holds four cells of equal width, left to
// right:
//   cell 0  normal
//   cell 1  hot (the mouse is over the button)
//   cell 2  pressed
//   cell 3  disabled
// The pixel at (0, 0) is the key colour: pixels of that colour take the
// background behind the button. Pixels of nearly neutral tone are blended
// towards that background (a pixel is nearly neutral when the spread of its
// three channel ratios, in thousandths, is below the frame value; the closer
// to neutral, the stronger the blend), so that the button's face takes the
// hue of the dialog it sits on. The images are scaled to the button's size
// with their edges kept (the corners keep their size, the middle stretches)
// and each made once per size, when it is first shown. Buttons of one
// dialog with the same bitmap share one set.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/user32/WinUser.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <utility>

class CSkinBitmap;

enum class ButtonImageState { Normal = 0, Hot = 1, Pressed = 2, Disabled = 3 };

class CButtonImageSet {
public:
    static constexpr int kCells = 4;
    // The edge that keeps its size when a cell is scaled, logical pixels.
    static constexpr int kEdge = 6;

    // The cells of bitmap, keyed and blended towards background (each when
    // first asked for).
    CButtonImageSet(std::shared_ptr<const CSkinBitmap> bitmap, COLORREF background, DWORD frameValue);

    COLORREF Background() const { return m_background; }
    // The state's image for a button of width × height device pixels at
    // pixelRatio device pixels per logical pixel; made on the first request
    // for that state and size and kept.
    const platform::PixelImage& Image(ButtonImageState state, int width, int height, double pixelRatio);
    // How many state images have been made.
    int PreparedImages() const { return static_cast<int>(m_scaled.size()); }

    // The blend of one pixel (0xAARRGGBB) towards background; exposed for
    // the tests of the rule.
    static std::uint32_t BlendNeutral(std::uint32_t pixel, COLORREF background, DWORD frameValue);

private:
    int CellWidth() const;
    const platform::PixelImage& Cell(int cell);

    std::shared_ptr<const CSkinBitmap> m_bitmap;
    COLORREF m_background;
    DWORD m_frameValue;
    std::array<platform::PixelImage, kCells> m_cells;  // empty until made
    // By state, width and height.
    std::map<std::array<int, 3>, platform::PixelImage> m_scaled;
};

// Scales image to width × height keeping edges of edgeX, edgeY source pixels
// as targetEdgeX, targetEdgeY target pixels (each edge at most half of either
// side), with area averaging.
platform::PixelImage ScaleKeepingEdges(const platform::PixelImage& image, int width, int height, int edgeX, int edgeY,
                                       int targetEdgeX, int targetEdgeY);
