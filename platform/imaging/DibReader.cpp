#include "platform/imaging/DibReader.h"

#include "platform/imaging/DecodedImage.h"
#include "platform/imaging/RunLengthDib.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kOpaque = 0xFF000000u;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;

enum class HeaderKind { Core, Os2, Windows };

bool WindowsHeaderSize(std::uint32_t cb)
{
    return cb == 40 || cb == 52 || cb == 56 || cb == 108 || cb == 124;
}

// OS/2 2.x headers may end after any field; the fields they leave out are 0.
std::uint32_t Field32(const BYTE* header, std::uint32_t headerSize, std::uint32_t at)
{
    return at + 4 <= headerSize ? ReadLe32(header + at) : 0;
}
std::uint16_t Field16(const BYTE* header, std::uint32_t headerSize, std::uint32_t at)
{
    return at + 2 <= headerSize ? ReadLe16(header + at) : 0;
}

}  // namespace

bool DibReader::ReadHeader(const BYTE* data, std::size_t size, std::size_t pixelsAt)
{
    if (data == nullptr || size < 4)
        return false;
    const std::uint32_t headerSize = ReadLe32(data);
    if (headerSize > size)
        return false;
    HeaderKind kind = HeaderKind::Windows;
    if (headerSize == kCoreHeaderSize)
        kind = HeaderKind::Core;
    else if (!WindowsHeaderSize(headerSize)) {
        if (headerSize < 16 || headerSize > 64)
            return false;
        kind = HeaderKind::Os2;
    }

    DibReader dib;
    std::int64_t width = 0;
    std::int64_t height = 0;
    unsigned planes = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t clrUsed = 0;
    if (kind == HeaderKind::Core) {
        width = ReadLe16(data + 4);
        height = ReadLe16(data + 6);
        planes = ReadLe16(data + 8);
        dib.m_bitCount = ReadLe16(data + 10);
        if (dib.m_bitCount != 1 && dib.m_bitCount != 4 && dib.m_bitCount != 8 && dib.m_bitCount != 24)
            return false;
    } else {
        width = static_cast<std::int32_t>(ReadLe32(data + 4));
        height = static_cast<std::int32_t>(ReadLe32(data + 8));
        planes = ReadLe16(data + 12);
        dib.m_bitCount = ReadLe16(data + 14);
        compression = Field32(data, headerSize, 16);
        dib.m_xPelsPerMeter = static_cast<LONG>(Field32(data, headerSize, 24));
        dib.m_yPelsPerMeter = static_cast<LONG>(Field32(data, headerSize, 28));
        clrUsed = Field32(data, headerSize, 32);
    }
    if (kind == HeaderKind::Os2) {
        // Only what a Windows bitmap can say too: resolution in pels per
        // metre, rows from the bottom, no halftoning, RGB colours, and no
        // compression but the two run-length ones (3 is Huffman here, 4 RLE24).
        if (Field16(data, headerSize, 40) != 0 || Field16(data, headerSize, 44) != 0 ||
            Field16(data, headerSize, 46) != 0 || Field32(data, headerSize, 56) != 0 || height < 0 ||
            compression > kBiRle4)
            return false;
    }
    if (planes != 1)
        return false;

    std::size_t tableAt = headerSize;
    switch (compression) {
    case kBiRgb:
        if (dib.m_bitCount != 1 && dib.m_bitCount != 4 && dib.m_bitCount != 8 && dib.m_bitCount != 16 &&
            dib.m_bitCount != 24 && dib.m_bitCount != 32)
            return false;
        if (dib.m_bitCount == 16) {
            dib.m_red.Set(0x7C00);
            dib.m_green.Set(0x03E0);
            dib.m_blue.Set(0x001F);
        }
        break;
    case kBiRle8:
    case kBiRle4:
        // Encoded rows are stored from the bottom only.
        if (dib.m_bitCount != (compression == kBiRle8 ? 8 : 4) || height < 0)
            return false;
        dib.m_compression = Compression::Rle;
        break;
    case kBiBitFields: {
        if (dib.m_bitCount != 16 && dib.m_bitCount != 32)
            return false;
        // Red, green and blue masks follow a 40-byte header; longer headers
        // hold them, and from 56 bytes on an alpha mask too.
        const BYTE* masks = data + kInfoHeaderSize;
        if (headerSize == kInfoHeaderSize) {
            if (size - headerSize < 12)
                return false;
            tableAt += 12;
        }
        if (!dib.ReadMasks(masks, headerSize >= 56 ? 4 : 3))
            return false;
        dib.m_compression = Compression::BitFields;
        break;
    }
    default: return false;
    }

    // An icon stores twice its height (image and mask), hence 2 × the limit.
    const std::int64_t rows = height < 0 ? -height : height;
    if (width < 1 || width > kMaxImageSide || rows < 1 || rows > 2 * kMaxImageSide)
        return false;

    // The colour table: clrUsed entries, or all 2^bits of them when 0 (of
    // those, in a file, the ones before the pixels). Deeper bitmaps may
    // carry an optional table too, which only takes up room.
    const std::size_t entrySize = kind == HeaderKind::Core ? 3 : 4;
    std::uint64_t entries = clrUsed;
    if (dib.m_bitCount <= 8) {
        const std::uint32_t full = 1u << dib.m_bitCount;
        if (entries > full)
            return false;
        if (entries == 0) {
            entries = full;
            if (pixelsAt != std::numeric_limits<std::size_t>::max())
                entries = std::min<std::uint64_t>(entries, pixelsAt > tableAt ? (pixelsAt - tableAt) / entrySize : 0);
        }
    }
    if (entries > (size - tableAt) / entrySize)
        return false;

    dib.m_width = static_cast<int>(width);
    dib.m_rows = static_cast<int>(rows);
    dib.m_topDown = height < 0;
    dib.m_headerAndTable = tableAt + static_cast<std::size_t>(entries) * entrySize;
    if (dib.m_bitCount <= 8) {
        const BYTE* table = data + tableAt;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const BYTE* q = table + i * entrySize;
            dib.m_palette.push_back(kOpaque | (std::uint32_t{q[2]} << 16) | (std::uint32_t{q[1]} << 8) | q[0]);
        }
    }
    *this = std::move(dib);
    return true;
}

bool DibReader::ReadMasks(const BYTE* masks, int count)
{
    ChannelMask* channels[] = {&m_red, &m_green, &m_blue, &m_alpha};
    // The pixel's own bits: a mask may not reach past them.
    const std::uint32_t pixelBits = m_bitCount == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    std::uint32_t used = 0;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t mask = ReadLe32(masks + 4 * i);
        if ((mask & ~pixelBits) != 0 || (mask & used) != 0 || !channels[i]->Set(mask))
            return false;
        used |= mask;
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

void DibReader::DecodeRow(const BYTE* src, std::uint32_t* dst, std::uint32_t& alphaSeen) const
{
    // One loop per form, chosen once per row.
    if (m_bitCount == 16 || m_compression == Compression::BitFields) {
        for (int x = 0; x < m_width; ++x) {
            const std::uint32_t px = m_bitCount == 16 ? ReadLe16(src + x * 2) : ReadLe32(src + x * 4);
            std::uint32_t alpha = 0xFF;
            if (!m_alpha.Empty()) {
                alpha = m_alpha.Value(px);
                alphaSeen |= alpha;
            }
            dst[x] = (alpha << 24) | (std::uint32_t{m_red.Value(px)} << 16) | (std::uint32_t{m_green.Value(px)} << 8) |
                     m_blue.Value(px);
        }
        return;
    }
    switch (m_bitCount) {
    case 32:
        for (int x = 0; x < m_width; ++x) {
            const BYTE* p = src + x * 4;
            alphaSeen |= p[3];
            dst[x] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[1]} << 8) | p[0];
        }
        break;
    case 24:
        for (int x = 0; x < m_width; ++x, src += 3)
            dst[x] = kOpaque | (std::uint32_t{src[2]} << 16) | (std::uint32_t{src[1]} << 8) | src[0];
        break;
    case 8:
        for (int x = 0; x < m_width; ++x)
            dst[x] = PaletteColour(src[x]);
        break;
    case 4:
        for (int x = 0; x < m_width; ++x)
            dst[x] = PaletteColour((x % 2 == 0 ? src[x / 2] >> 4 : src[x / 2]) & 0x0F);
        break;
    default:
        for (int x = 0; x < m_width; ++x)
            dst[x] = PaletteColour((src[x / 8] >> (7 - x % 8)) & 1);
        break;
    }
}

bool DibReader::Decode(const BYTE* bits, std::size_t size, int rows, PixelImage& out, bool& hasAlpha) const
{
    hasAlpha = false;
    if (bits == nullptr || m_width == 0 || rows < 1 || rows > m_rows || !ImageSizeAllowed(m_width, rows))
        return false;
    if (RunLength()) {
        if (rows != m_rows)
            return false;
        PixelImage image;
        image.width = m_width;
        image.height = rows;
        image.pixels.assign(static_cast<std::size_t>(m_width) * rows, kOpaque);
        if (!DecodeRunLength(bits, size, m_bitCount, m_palette, image))
            return false;
        out = std::move(image);
        return true;
    }
    const std::size_t stride = Stride();
    if (stride * static_cast<std::size_t>(rows) > size)
        return false;

    out.width = m_width;
    out.height = rows;
    out.pixels.assign(static_cast<std::size_t>(m_width) * rows, 0);
    std::uint32_t alphaSeen = 0;
    for (int r = 0; r < rows; ++r) {
        const int y = m_topDown ? r : rows - 1 - r;
        DecodeRow(bits + stride * r, out.pixels.data() + static_cast<std::size_t>(y) * m_width, alphaSeen);
    }
    const bool alphaChannel = (m_bitCount == 32 && m_compression == Compression::None) || !m_alpha.Empty();
    if (alphaChannel) {
        hasAlpha = alphaSeen != 0;
        if (!hasAlpha)
            for (std::uint32_t& px : out.pixels)
                px |= kOpaque;
    }
    return true;
}

}  // namespace platform
