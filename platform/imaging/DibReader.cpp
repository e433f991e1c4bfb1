#include "platform/imaging/DibReader.h"

#include "platform/imaging/DecodedImage.h"

namespace platform {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kOpaque = 0xFF000000u;

bool KnownHeaderSize(std::uint32_t cb) { return cb == 40 || cb == 52 || cb == 56 || cb == 108 || cb == 124; }

}  // namespace

bool DibReader::ReadHeader(const BYTE* data, std::size_t size)
{
    if (data == nullptr || size < 40)
        return false;
    const std::uint32_t headerSize = ReadLe32(data);
    if (!KnownHeaderSize(headerSize) || headerSize > size)
        return false;
    const std::int32_t width = static_cast<std::int32_t>(ReadLe32(data + 4));
    const std::int64_t height = static_cast<std::int32_t>(ReadLe32(data + 8));
    const std::uint16_t planes = ReadLe16(data + 12);
    const std::uint16_t bitCount = ReadLe16(data + 14);
    const std::uint32_t compression = ReadLe32(data + 16);
    const std::uint32_t clrUsed = ReadLe32(data + 32);
    if (planes != 1 || compression != kBiRgb)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24 && bitCount != 32)
        return false;
    // An icon stores twice its height (image and mask), hence 2 × the limit.
    const std::int64_t rows = height < 0 ? -height : height;
    if (width < 1 || width > kMaxImageSide || rows < 1 || rows > 2 * kMaxImageSide)
        return false;

    // The colour table: clrUsed entries, or all 2^bits of them when 0. Deeper
    // bitmaps may carry an optional table too, which only takes up room.
    std::uint64_t entries = clrUsed;
    if (bitCount <= 8) {
        const std::uint32_t full = 1u << bitCount;
        if (entries == 0)
            entries = full;
        if (entries > full)
            return false;
    }
    if (entries > (size - headerSize) / 4)
        return false;

    m_width = width;
    m_rows = static_cast<int>(rows);
    m_topDown = height < 0;
    m_bitCount = bitCount;
    m_xPelsPerMeter = static_cast<LONG>(ReadLe32(data + 24));
    m_yPelsPerMeter = static_cast<LONG>(ReadLe32(data + 28));
    m_headerAndTable = headerSize + static_cast<std::size_t>(entries) * 4;
    m_palette.clear();
    if (bitCount <= 8) {
        const BYTE* table = data + headerSize;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const BYTE* q = table + i * 4;
            m_palette.push_back(kOpaque | (std::uint32_t{q[2]} << 16) | (std::uint32_t{q[1]} << 8) | q[0]);
        }
    }
    return true;
}

std::size_t DibReader::Stride() const
{
    return ((static_cast<std::size_t>(m_width) * m_bitCount + 31) / 32) * 4;
}

std::uint32_t DibReader::PaletteColour(unsigned index) const
{
    // An index past the table shows black, as Windows draws it.
    return index < m_palette.size() ? m_palette[index] : kOpaque;
}

bool DibReader::Decode(const BYTE* bits, std::size_t size, int rows, PixelImage& out, bool& hasAlpha) const
{
    hasAlpha = false;
    if (bits == nullptr || m_width == 0 || rows < 1 || rows > m_rows || !ImageSizeAllowed(m_width, rows))
        return false;
    const std::size_t stride = Stride();
    if (stride * static_cast<std::size_t>(rows) > size)
        return false;

    out.width = m_width;
    out.height = rows;
    out.pixels.assign(static_cast<std::size_t>(m_width) * rows, 0);
    std::uint32_t alphaSeen = 0;
    for (int r = 0; r < rows; ++r) {
        const BYTE* src = bits + stride * r;
        const int y = m_topDown ? r : rows - 1 - r;
        std::uint32_t* dst = out.pixels.data() + static_cast<std::size_t>(y) * m_width;
        for (int x = 0; x < m_width; ++x) {
            switch (m_bitCount) {
            case 32: {
                const BYTE* p = src + x * 4;
                alphaSeen |= p[3];
                dst[x] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
                break;
            }
            case 24: {
                const BYTE* p = src + x * 3;
                dst[x] = kOpaque | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
                break;
            }
            case 8: dst[x] = PaletteColour(src[x]); break;
            case 4: dst[x] = PaletteColour((x % 2 == 0 ? src[x / 2] >> 4 : src[x / 2]) & 0x0F); break;
            default: dst[x] = PaletteColour((src[x / 8] >> (7 - x % 8)) & 1); break;
            }
        }
    }
    if (m_bitCount == 32) {
        hasAlpha = alphaSeen != 0;
        if (!hasAlpha)
            for (std::uint32_t& px : out.pixels)
                px |= kOpaque;
    }
    return true;
}

}  // namespace platform
