#include "platform/imaging/BmpDecoder.h"

#include "platform/imaging/DibReader.h"

#include <utility>

namespace platform {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

Resolution FromPelsPerMeter(LONG ppm)
{
    // dots per inch = pels per metre × 254 / 10000 = × 127 / 5000
    if (ppm <= 0)
        return Resolution{};
    return Resolution{static_cast<std::uint64_t>(ppm) * 127u, 5000u};
}

}  // namespace

bool BmpDecoder::LooksLikeBmp(const BYTE* data, std::size_t size)
{
    return data != nullptr && size >= 2 && data[0] == 'B' && data[1] == 'M';
}

bool BmpDecoder::Decode(const BYTE* data, std::size_t size, DecodedImage& out)
{
    if (!LooksLikeBmp(data, size) || size < kFileHeaderSize)
        return false;
    const std::uint32_t offBits = ReadLe32(data + 10);
    DibReader dib;
    if (offBits < kFileHeaderSize ||
        !dib.ReadHeader(data + kFileHeaderSize, size - kFileHeaderSize, offBits - kFileHeaderSize))
        return false;
    // The pixels may not start inside the header or the colour table, nor
    // past the end of the file.
    if (offBits < kFileHeaderSize + dib.HeaderAndTableSize() || offBits > size)
        return false;
    DecodedImage image;
    bool hasAlpha = false;
    if (!dib.Decode(data + offBits, size - offBits, dib.Rows(), image.image, hasAlpha))
        return false;
    image.x = FromPelsPerMeter(dib.XPelsPerMeter());
    image.y = FromPelsPerMeter(dib.YPelsPerMeter());
    out = std::move(image);
    return true;
}

}  // namespace platform
