// The device-independent bitmap inside a .bmp file and inside an .ico entry:
// a BITMAPINFOHEADER (or one of its longer successors), the colour table, and
// rows of pixels. Uncompressed (BI_RGB) 1, 4, 8, 24 and 32 bits per pixel,
// bottom-up (positive height) or top-down (negative height). Every read is
// checked against the bytes the caller says are there.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace platform {

class DibReader {
public:
    // Reads the info header at data and the colour table that follows it;
    // size is the count of bytes from data on. False for a header it does
    // not handle (size other than 40, 52, 56, 108 or 124, planes other than
    // 1, another bit depth, compression), a width outside 1..16384, a height
    // of 0 or with more than 32768 rows, or a table that is not all there.
    bool ReadHeader(const BYTE* data, std::size_t size);

    int Width() const { return m_width; }
    // Rows in the bitmap (the height field without its sign).
    int Rows() const { return m_rows; }
    bool TopDown() const { return m_topDown; }
    int BitCount() const { return m_bitCount; }
    LONG XPelsPerMeter() const { return m_xPelsPerMeter; }
    LONG YPelsPerMeter() const { return m_yPelsPerMeter; }
    // Bytes of the info header and the colour table: where the pixels of an
    // icon entry start.
    std::size_t HeaderAndTableSize() const { return m_headerAndTable; }
    // Bytes of one stored row of pixels (padded to 4 bytes).
    std::size_t Stride() const;

    // Decodes the first `rows` stored rows (in storage order; the bitmap's
    // direction decides which is the top) from bits, of which size bytes are
    // there, into a Width() × rows image. False when the bytes do not hold
    // the rows or the image is above the size limits. For 32 bits the fourth
    // byte is alpha; when every alpha byte is 0 the image is taken as opaque
    // and hasAlpha is false.
    bool Decode(const BYTE* bits, std::size_t size, int rows, PixelImage& out, bool& hasAlpha) const;

private:
    std::uint32_t PaletteColour(unsigned index) const;

    int m_width = 0;
    int m_rows = 0;
    bool m_topDown = false;
    int m_bitCount = 0;
    LONG m_xPelsPerMeter = 0;
    LONG m_yPelsPerMeter = 0;
    std::size_t m_headerAndTable = 0;
    std::vector<std::uint32_t> m_palette;  // 0xFFRRGGBB
};

// Little-endian fields of a byte range whose size the caller has checked.
inline std::uint16_t ReadLe16(const BYTE* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t ReadLe32(const BYTE* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace platform
