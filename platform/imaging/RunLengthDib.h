// The run-length encoded pixels of a bitmap (BI_RLE8 and BI_RLE4): pairs of
// bytes that either repeat one colour index (RLE4: two alternating indexes)
// or escape to an end of line, the end of the bitmap, a move (delta) of the
// drawing position, or an absolute run of indexes padded to 16 bits.
// Encoded bitmaps are stored bottom-up only.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

// Draws the stream of size bytes at data into image, whose size is set and
// whose pixels hold the colour of pixels the stream never draws (moves and
// an early end of the bitmap leave pixels undrawn). bitsPerIndex is 8 or 4;
// palette gives the colours (0xAARRGGBB), an index past it draws black.
// Indexes that fall right of the image are dropped (a run never wraps to the
// next row); an end of line or a move past the top row ends the bitmap.
// Never reads outside the size bytes: false when the data ends, even within
// a run, before the end-of-bitmap escape while rows are still to be drawn.
bool DecodeRunLength(const BYTE* data, std::size_t size, int bitsPerIndex, const std::vector<std::uint32_t>& palette,
                     PixelImage& image);

}  // namespace platform
