// The device-independent bitmap inside a .bmp file and inside an .ico entry:
// an info header, the colour table, and the pixels. Headers: the OS/2 1.x
// core header (12 bytes, 16-bit sizes, three-byte table entries), the OS/2
// 2.x header (16 to 64 bytes) when it asks for nothing beyond a Windows
// bitmap (no units, halftoning, colour encoding or top-down recording),
// and BITMAPINFOHEADER with its longer successors (52, 56, V4 108, V5 124).
// Pixels: uncompressed (BI_RGB) 1, 4, 8, 16 (5-5-5), 24 and 32 bits;
// BI_BITFIELDS 16 and 32 bits with contiguous masks (after a 40-byte header,
// or in the header from 52 bytes on, where an alpha mask comes from 56 on);
// BI_RLE8 and BI_RLE4 (platform/imaging/RunLengthDib.h). Bottom-up (positive
// height) or top-down (negative height) where the header and compression
// allow it. Every read is checked against the bytes the caller says are there.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/imaging/ChannelMask.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace platform {

class DibReader {
public:
    // Reads the info header at data and the colour table that follows it;
    // size is the count of bytes from data on. pixelsAt, when the caller
    // knows it (a .bmp file's pixel offset, counted from data), bounds a
    // colour table whose length the header leaves implied: such a table
    // holds the entries that fit before the pixels. False for a header it
    // does not handle (an unknown size, planes other than 1, a bit depth or
    // compression outside the list above, masks that are not contiguous,
    // overlap or lie beyond the pixel's bits), a width outside 1..16384, a
    // height of 0 or with more than 32768 rows, or a table that is not all
    // there.
    bool ReadHeader(const BYTE* data, std::size_t size, std::size_t pixelsAt = std::numeric_limits<std::size_t>::max());

    int Width() const { return m_width; }
    // Rows in the bitmap (the height field without its sign).
    int Rows() const { return m_rows; }
    bool TopDown() const { return m_topDown; }
    int BitCount() const { return m_bitCount; }
    // Whether the pixels are run-length encoded (their size is not rows × stride).
    bool RunLength() const { return m_compression == Compression::Rle; }
    LONG XPelsPerMeter() const { return m_xPelsPerMeter; }
    LONG YPelsPerMeter() const { return m_yPelsPerMeter; }
    // Bytes of the info header, the masks after it and the colour table:
    // where the pixels of an icon entry start.
    std::size_t HeaderAndTableSize() const { return m_headerAndTable; }
    // Bytes of one stored row of uncompressed pixels (padded to 4 bytes).
    std::size_t Stride() const;

    // Decodes the first `rows` stored rows (in storage order; the bitmap's
    // direction decides which is the top) from bits, of which size bytes are
    // there, into a Width() × rows image. Encoded pixels decode all rows
    // only. False when the bytes do not hold the rows (for encoded pixels:
    // the stream ends before its end), or the image is above the size
    // limits. Alpha comes from the fourth byte of 32-bit BI_RGB pixels or
    // from an alpha mask; when it is 0 in every pixel the image is taken as
    // opaque and hasAlpha is false. Pixels an encoded stream leaves undrawn
    // are black.
    bool Decode(const BYTE* bits, std::size_t size, int rows, PixelImage& out, bool& hasAlpha) const;

private:
    enum class Compression { None, BitFields, Rle };

    bool ReadMasks(const BYTE* masks, int count);
    void DecodeRow(const BYTE* src, std::uint32_t* dst, std::uint32_t& alphaSeen) const;
    std::uint32_t PaletteColour(unsigned index) const;

    int m_width = 0;
    int m_rows = 0;
    bool m_topDown = false;
    int m_bitCount = 0;
    Compression m_compression = Compression::None;
    ChannelMask m_red;
    ChannelMask m_green;
    ChannelMask m_blue;
    ChannelMask m_alpha;
    LONG m_xPelsPerMeter = 0;
    LONG m_yPelsPerMeter = 0;
    std::size_t m_headerAndTable = 0;
    std::vector<std::uint32_t> m_palette;  // 0xFFRRGGBB
};

// Little-endian fields of a byte range whose size the caller has checked.
inline std::uint16_t ReadLe16(const BYTE* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t ReadLe32(const BYTE* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace platform
