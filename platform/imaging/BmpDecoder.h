// Windows and OS/2 .bmp files: the 14-byte file header ("BM", the file size,
// the offset of the pixels) and a device-independent bitmap of any kind that
// platform/imaging/DibReader.h reads. The file size field is not trusted; the
// offset and everything it leads to are checked against the bytes given.
#pragma once

#include "platform/imaging/DecodedImage.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>

namespace platform {

class BmpDecoder {
public:
    // Whether the bytes start like a .bmp file ("BM").
    static bool LooksLikeBmp(const BYTE* data, std::size_t size);

    // Decodes a whole .bmp file of size bytes. The resolution comes from
    // the pels-per-metre fields (none when 0 or negative). False for
    // anything that is not a complete bitmap of a supported kind.
    static bool Decode(const BYTE* data, std::size_t size, DecodedImage& out);
};

}  // namespace platform
