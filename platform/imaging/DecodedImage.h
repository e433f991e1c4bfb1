// What the image decoders (JPEG, .bmp, .ico) give: the pixels and the
// resolution the data names, and the size limits they all keep to.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"

#include <cstdint>

namespace platform {

// Dots per inch as the fraction num / den, so that dots per centimetre and
// pels per metre convert without rounding; num 0: the data names none.
struct Resolution {
    std::uint64_t num = 0;
    std::uint64_t den = 1;
};

struct DecodedImage {
    PixelImage image;
    Resolution x;
    Resolution y;
};

// The largest image a decoder accepts: each side at most kMaxImageSide
// pixels, and at most kMaxImagePixels pixels in all (256 MiB of pixels).
constexpr std::int64_t kMaxImageSide = 16384;
constexpr std::int64_t kMaxImagePixels = std::int64_t{64} * 1024 * 1024;

// Whether a width × height image is non-empty and within the limits.
bool ImageSizeAllowed(std::int64_t width, std::int64_t height);

// The resolution 96 dots per inch when r names none.
Resolution ResolutionOrDefault(Resolution r);

// Pixels to HIMETRIC (hundredths of a millimetre): pixels × 2540 / dpi,
// rounded to nearest, at least 1 so that no size is ever 0.
LONG HimetricFromPixels(int pixels, Resolution r);

}  // namespace platform
