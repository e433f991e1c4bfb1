#include "platform/imaging/DecodedImage.h"

#include <limits>

namespace platform {

bool ImageSizeAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxImageSide && height <= kMaxImageSide &&
           width * height <= kMaxImagePixels;
}

Resolution ResolutionOrDefault(Resolution r)
{
    if (r.num == 0 || r.den == 0)
        return Resolution{96, 1};
    return r;
}

LONG HimetricFromPixels(int pixels, Resolution r)
{
    r = ResolutionOrDefault(r);
    // pixels × 2540 × den / num: up to 2^31 × 2^12 × 2^64, beyond 64 bits.
    const unsigned __int128 p = static_cast<unsigned __int128>(pixels < 0 ? 0 : pixels) * 2540u * r.den;
    const unsigned __int128 q = (p + r.num / 2) / r.num;
    if (q < 1)
        return 1;
    if (q > static_cast<unsigned __int128>(std::numeric_limits<LONG>::max()))
        return std::numeric_limits<LONG>::max();
    return static_cast<LONG>(q);
}

}  // namespace platform
