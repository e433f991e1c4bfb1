// Builds .bmp and .ico files byte by byte for the picture and icon tests, and
// reads the test pictures kept in the source tree.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<std::uint8_t>;

inline void PutLe16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void PutLe32(Bytes& b, std::uint32_t v)
{
    PutLe16(b, v & 0xFFFF);
    PutLe16(b, v >> 16);
}

inline void SetLe32(Bytes& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A 40-byte BITMAPINFOHEADER (BI_RGB).
inline Bytes InfoHeader(std::int32_t width, std::int32_t height, int bitCount, std::uint32_t clrUsed = 0,
                        std::int32_t xPelsPerMeter = 0, std::int32_t yPelsPerMeter = 0)
{
    Bytes h;
    PutLe32(h, 40);
    PutLe32(h, static_cast<std::uint32_t>(width));
    PutLe32(h, static_cast<std::uint32_t>(height));
    PutLe16(h, 1);
    PutLe16(h, static_cast<std::uint32_t>(bitCount));
    PutLe32(h, 0);  // BI_RGB
    PutLe32(h, 0);  // image size: may be 0 for BI_RGB
    PutLe32(h, static_cast<std::uint32_t>(xPelsPerMeter));
    PutLe32(h, static_cast<std::uint32_t>(yPelsPerMeter));
    PutLe32(h, clrUsed);
    PutLe32(h, 0);
    return h;
}

// An info header of headerSize bytes with the given compression: 52, 56,
// 108 or 124 bytes (the fields past the first 40 are 0, masks to be set by
// the caller), or an OS/2 2.x header of 16 to 64 bytes (cut after
// headerSize bytes, or 0 past the first 40).
inline Bytes SizedInfoHeader(std::uint32_t headerSize, std::int32_t width, std::int32_t height, int bitCount,
                             std::uint32_t compression, std::uint32_t clrUsed = 0)
{
    Bytes h = InfoHeader(width, height, bitCount, clrUsed);
    SetLe32(h, 0, headerSize);
    SetLe32(h, 16, compression);
    h.resize(headerSize, 0);
    return h;
}

// The 12-byte BITMAPCOREHEADER of OS/2 1.x: 16-bit width and height.
inline Bytes CoreHeader(std::uint16_t width, std::uint16_t height, int bitCount)
{
    Bytes h;
    PutLe32(h, 12);
    PutLe16(h, width);
    PutLe16(h, height);
    PutLe16(h, 1);
    PutLe16(h, static_cast<std::uint32_t>(bitCount));
    return h;
}

// Colour table entries of a core header from 0xRRGGBB values (blue, green, red).
inline Bytes ColourTriples(const std::vector<std::uint32_t>& colours)
{
    Bytes t;
    for (std::uint32_t c : colours) {
        t.push_back(static_cast<std::uint8_t>(c));
        t.push_back(static_cast<std::uint8_t>(c >> 8));
        t.push_back(static_cast<std::uint8_t>(c >> 16));
    }
    return t;
}

// Little-endian 32-bit values one after another (bit-field masks).
inline Bytes Dwords(const std::vector<std::uint32_t>& values)
{
    Bytes b;
    for (std::uint32_t v : values)
        PutLe32(b, v);
    return b;
}

// Colour table entries from 0xRRGGBB values (stored blue, green, red, 0).
inline Bytes ColourTable(const std::vector<std::uint32_t>& colours)
{
    Bytes t;
    for (std::uint32_t c : colours)
        PutLe32(t, c & 0xFFFFFF);
    return t;
}

// Rows of pixels of bytesPerPixel bytes each, from values given top row
// first and stored little-endian, each row padded to 4 bytes, stored bottom
// row first unless topDown.
inline Bytes PixelRows(int width, int height, int bytesPerPixel, const std::vector<std::uint32_t>& topFirst,
                       bool topDown)
{
    Bytes bits;
    const std::size_t stride = ((static_cast<std::size_t>(width) * bytesPerPixel * 8 + 31) / 32) * 4;
    for (int i = 0; i < height; ++i) {
        const int y = topDown ? i : height - 1 - i;
        const std::size_t start = bits.size();
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = topFirst[static_cast<std::size_t>(y) * width + x];
            for (int b = 0; b < bytesPerPixel; ++b)
                bits.push_back(static_cast<std::uint8_t>(v >> (8 * b)));
        }
        bits.resize(start + stride, 0);
    }
    return bits;
}

// Rows of 24-bit pixels from 0xRRGGBB values (stored blue, green, red).
inline Bytes Rows24(int width, int height, const std::vector<std::uint32_t>& topFirst, bool topDown)
{
    return PixelRows(width, height, 3, topFirst, topDown);
}

// A .bmp file: the 14-byte file header, the info header, the table, the pixels.
inline Bytes BmpFile(const Bytes& info, const Bytes& table, const Bytes& bits)
{
    Bytes f = {'B', 'M'};
    const std::uint32_t offBits = static_cast<std::uint32_t>(14 + info.size() + table.size());
    PutLe32(f, static_cast<std::uint32_t>(offBits + bits.size()));
    PutLe32(f, 0);
    PutLe32(f, offBits);
    f.insert(f.end(), info.begin(), info.end());
    f.insert(f.end(), table.begin(), table.end());
    f.insert(f.end(), bits.begin(), bits.end());
    return f;
}

// An icon image: a 32-bit bitmap of width × height from 0xAARRGGBB values
// (top row first) and its AND mask (true: transparent), as .ico entries hold it.
inline Bytes IconDib32(int width, int height, const std::vector<std::uint32_t>& argb, const std::vector<bool>& mask)
{
    Bytes d = InfoHeader(width, 2 * height, 32);
    for (int y = height - 1; y >= 0; --y)
        for (int x = 0; x < width; ++x)
            PutLe32(d, argb[static_cast<std::size_t>(y) * width + x]);
    const std::size_t maskStride = ((static_cast<std::size_t>(width) + 31) / 32) * 4;
    for (int y = height - 1; y >= 0; --y) {
        Bytes line(maskStride, 0);
        for (int x = 0; x < width; ++x)
            if (mask[static_cast<std::size_t>(y) * width + x])
                line[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
        d.insert(d.end(), line.begin(), line.end());
    }
    return d;
}

// A one-colour icon image of width × height, opaque, with a clear mask.
inline Bytes SolidIconDib32(int width, int height, std::uint32_t argb)
{
    const std::size_t n = static_cast<std::size_t>(width) * height;
    return IconDib32(width, height, std::vector<std::uint32_t>(n, argb), std::vector<bool>(n, false));
}

struct IcoImage {
    int width;
    int height;
    int bitCount;
    Bytes data;
};

// An .ico file: the directory, then the images in order.
inline Bytes IcoFile(const std::vector<IcoImage>& images)
{
    Bytes f;
    PutLe16(f, 0);
    PutLe16(f, 1);
    PutLe16(f, static_cast<std::uint32_t>(images.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * images.size());
    for (const IcoImage& im : images) {
        f.push_back(static_cast<std::uint8_t>(im.width % 256));
        f.push_back(static_cast<std::uint8_t>(im.height % 256));
        f.push_back(0);
        f.push_back(0);
        PutLe16(f, 1);
        PutLe16(f, static_cast<std::uint32_t>(im.bitCount));
        PutLe32(f, static_cast<std::uint32_t>(im.data.size()));
        PutLe32(f, offset);
        offset += static_cast<std::uint32_t>(im.data.size());
    }
    for (const IcoImage& im : images)
        f.insert(f.end(), im.data.begin(), im.data.end());
    return f;
}

// A file of the source tree, by its path below the tree's root.
inline Bytes SourceFile(const std::string& relative)
{
    std::ifstream in(std::string(NOTIFIER_SOURCE_DIR) + "/" + relative, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The test photograph: 96 × 48 pixels, the top half red on the left and blue
// on the right, the bottom half green; JFIF 96 dots per inch, baseline,
// no chroma subsampling. Made with ImageMagick's convert, arguments:
//   ( -size 48x24 xc:#FF0000 -size 48x24 xc:#0000FF +append )
//   -size 96x24 xc:#00FF00 -append -strip -quality 95 -sampling-factor 1x1
//   -density 96 -units PixelsPerInch photo.jpg
// photo-cmyk.jpg is the same converted with -colorspace CMYK (Adobe CMYK).
inline Bytes TestPhoto()
{
    return SourceFile("tests/platform/resources/photo.jpg");
}

// The photograph with its JFIF density unit and values replaced.
inline Bytes WithJfifDensity(Bytes jpeg, std::uint8_t unit, std::uint16_t x, std::uint16_t y)
{
    // FF D8, FF E0, length (2), "JFIF\0", version (2), unit, x, y
    jpeg.at(13) = unit;
    jpeg.at(14) = static_cast<std::uint8_t>(x >> 8);
    jpeg.at(15) = static_cast<std::uint8_t>(x);
    jpeg.at(16) = static_cast<std::uint8_t>(y >> 8);
    jpeg.at(17) = static_cast<std::uint8_t>(y);
    return jpeg;
}

}  // namespace testsupport
