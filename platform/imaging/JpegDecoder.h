// JPEG data through libjpeg: baseline and progressive, grey, YCbCr, RGB and
// (Adobe) CMYK/YCCK. libjpeg reports errors by calling back; the decoder turns
// them into a false result, so corrupt or truncated data never ends the
// process. Data that ends early (before the end-of-image marker) is refused,
// where libjpeg on its own would pad it with grey.
#pragma once

#include "platform/imaging/DecodedImage.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>

namespace platform {

class JpegDecoder {
public:
    // Whether the bytes start with a JPEG start-of-image marker.
    static bool LooksLikeJpeg(const BYTE* data, std::size_t size);

    // Decodes size bytes. The resolution is the JFIF density: unit 1 dots
    // per inch, unit 2 dots per centimetre; none for unit 0, a density of 0
    // or no JFIF marker. False for anything that does not decode, or an image
    // above the size limits of platform/imaging/DecodedImage.h.
    static bool Decode(const BYTE* data, std::size_t size, DecodedImage& out);
};

}  // namespace platform
