// .bmp files beyond the plain Windows kinds: OS/2 headers, 16-bit pixels,
// bit-field masks with and without alpha, each against known pixels, and
// the headers and masks that must be refused.
#include "platform/imaging/BmpDecoder.h"
#include "tests/support/ImageBytes.h"

#include <gtest/gtest.h>

using testsupport::BmpFile;
using testsupport::Bytes;
using testsupport::Dwords;
using testsupport::PixelRows;
using testsupport::SizedInfoHeader;

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kBlack = 0xFF000000u;

bool Decode(const Bytes& file, platform::DecodedImage& out)
{
    return platform::BmpDecoder::Decode(file.data(), file.size(), out);
}

using Pixels = std::vector<std::uint32_t>;

// 3 × 2, so that 24-bit and 16-bit rows carry padding.
const Pixels kSix = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010203};

Pixels Opaque(const Pixels& rgb)
{
    Pixels out;
    for (std::uint32_t c : rgb)
        out.push_back(kBlack | c);
    return out;
}

// The pixels of file, or a failure naming what was expected of it.
Pixels PixelsOf(const Bytes& file)
{
    platform::DecodedImage image;
    if (!Decode(file, image)) {
        ADD_FAILURE() << "the file was refused";
        return {};
    }
    return image.image.pixels;
}

}  // namespace

TEST(BmpFormatsTest, Os2HeadersAreRead)
{
    // OS/2 1.x: 12-byte header, rows from the bottom; it names no resolution.
    platform::DecodedImage image;
    ASSERT_TRUE(Decode(BmpFile(testsupport::CoreHeader(3, 2, 24), {}, testsupport::Rows24(3, 2, kSix, false)), image));
    EXPECT_EQ(Opaque(kSix), image.image.pixels);
    EXPECT_EQ(2540, platform::HimetricFromPixels(96, image.x));

    // OS/2 2.x: 64 bytes with a four-byte colour table, and the short form
    // of 16 bytes that stops after the bit count.
    const Bytes bits8 = {1, 0, 0, 0, 0, 1, 0, 0};  // 2 × 2, bottom row first
    const Bytes table = testsupport::ColourTable({0xFF0000, 0x00FF00});
    EXPECT_EQ(Opaque({0xFF0000, 0x00FF00, 0x00FF00, 0xFF0000}),
              PixelsOf(BmpFile(SizedInfoHeader(64, 2, 2, 8, kRgb, 2), table, bits8)));
    EXPECT_EQ(Opaque(kSix),
              PixelsOf(BmpFile(SizedInfoHeader(16, 3, 2, 24, kRgb), {}, testsupport::Rows24(3, 2, kSix, false))));

    // What a Windows bitmap cannot say is refused: OS/2's compression 3
    // (Huffman, not bit fields) and 4 (RLE24), units other than pels per
    // metre, top-down recording, halftoning, a colour encoding, a negative height.
    auto os2With = [&](std::size_t at, std::uint32_t value) {
        Bytes info = SizedInfoHeader(64, 2, 2, 8, kRgb, 2);
        testsupport::SetLe32(info, at, value);
        return BmpFile(info, table, bits8);
    };
    for (auto [at, value] :
         {std::pair<std::size_t, std::uint32_t>{16, 3}, {16, 4}, {40, 1}, {44, 1}, {46, 1}, {56, 1}, {8, 0xFFFFFFFEu}})
        EXPECT_FALSE(Decode(os2With(at, value), image)) << at << " " << value;
    // Sizes no header has, and a core header of a depth it never had.
    EXPECT_FALSE(Decode(BmpFile(SizedInfoHeader(66, 2, 2, 8, kRgb, 2), table, bits8), image));
    EXPECT_FALSE(Decode(BmpFile(SizedInfoHeader(14, 2, 2, 8, kRgb, 2), table, bits8), image));
    EXPECT_FALSE(Decode(BmpFile(testsupport::CoreHeader(2, 2, 16), {}, Bytes(8, 0)), image));
}

TEST(BmpFormatsTest, AnImpliedColourTableEndsWhereThePixelsStart)
{
    // Neither header counts its colours; the files hold three and two before
    // the pixels, and the indexes past them draw black.
    const Bytes bits = {2, 3, 0, 0, 0, 1, 0, 0};  // 2 × 2, bottom row first
    const Pixels expected = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, kBlack};
    EXPECT_EQ(expected, PixelsOf(BmpFile(testsupport::CoreHeader(2, 2, 8),
                                         testsupport::ColourTriples({0xFF0000, 0x00FF00, 0x0000FF}), bits)));
    EXPECT_EQ(
        (Pixels{0xFFFF0000u, 0xFF00FF00u, kBlack, kBlack}),
        PixelsOf(BmpFile(testsupport::InfoHeader(2, 2, 8), testsupport::ColourTable({0xFF0000, 0x00FF00}), bits)));
}

TEST(BmpFormatsTest, SixteenBitsAreFiveBitsPerColour)
{
    // The top bit is unused; the highest value of each channel is 255.
    const Pixels stored = {0x7FFF, 0x7C00, 0x03E0, 0x001F, 0x4210, 0xFFFF};
    for (bool topDown : {false, true})
        EXPECT_EQ(Opaque({0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x848484, 0xFFFFFF}),
                  PixelsOf(BmpFile(testsupport::InfoHeader(3, topDown ? -2 : 2, 16), {},
                                   PixelRows(3, 2, 2, stored, topDown))))
            << topDown;
}

TEST(BmpFormatsTest, BitFieldMasksAfterTheHeader)
{
    // 5-6-5, the masks followed by an optional colour table that only takes room.
    Bytes masks = Dwords({0xF800, 0x07E0, 0x001F});
    const Bytes unusedTable = testsupport::ColourTable({0x123456, 0x654321});
    masks.insert(masks.end(), unusedTable.begin(), unusedTable.end());
    EXPECT_EQ(Opaque({0xFFFFFF, 0xFF0000, 0x00FF00, 0x000400, 0x0000FF, 0x848284}),
              PixelsOf(BmpFile(SizedInfoHeader(40, 3, 2, 16, kBitFields, 2), masks,
                               PixelRows(3, 2, 2, {0xFFFF, 0xF800, 0x07E0, 0x0020, 0x001F, 0x8410}, false))));

    // 32 bits with the channels in an unusual order: green in the top byte.
    // The byte no mask covers is not alpha.
    EXPECT_EQ(Opaque({0xBB1122, 0x000000}),
              PixelsOf(BmpFile(SizedInfoHeader(40, 2, 1, 32, kBitFields), Dwords({0x0000FF00, 0xFF000000, 0x000000FF}),
                               PixelRows(2, 1, 4, {0x11AABB22, 0x00FF0000}, false))));

    // All 32 bits used, 11-11-10: widths beyond 8 bits scale too.
    EXPECT_EQ(Opaque({0xFFFFFF, 0x800000, 0x000080}),
              PixelsOf(BmpFile(SizedInfoHeader(40, 3, -1, 32, kBitFields), Dwords({0xFFE00000, 0x001FFC00, 0x000003FF}),
                               PixelRows(3, 1, 4, {0xFFFFFFFF, 0x80000000, 0x00000200}, true))));
}

TEST(BmpFormatsTest, MasksAndAlphaInTheLongerHeaders)
{
    auto withMasks = [](std::uint32_t headerSize, int bitCount, std::uint32_t compression, const Pixels& masks) {
        Bytes info = SizedInfoHeader(headerSize, 2, 1, bitCount, compression);
        for (std::size_t i = 0; i < masks.size(); ++i)
            testsupport::SetLe32(info, 40 + 4 * i, masks[i]);
        return info;
    };
    const Bytes argb = PixelRows(2, 1, 4, {0x80123456, 0x00ABCDEF}, false);
    const Pixels rgba = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

    // 52 bytes hold the three colour masks only: opaque.
    EXPECT_EQ(Opaque({0x123456, 0xABCDEF}), PixelsOf(BmpFile(withMasks(52, 32, kBitFields, rgba), {}, argb)));
    // From 56 bytes on (and in V4 and V5) the alpha mask counts.
    for (std::uint32_t headerSize : {56u, 108u, 124u})
        EXPECT_EQ((Pixels{0x80123456u, 0x00ABCDEFu}),
                  PixelsOf(BmpFile(withMasks(headerSize, 32, kBitFields, rgba), {}, argb)))
            << headerSize;
    // Alpha 0 in every pixel: an image without alpha, not an invisible one.
    EXPECT_EQ(Opaque({0x123456, 0xABCDEF}), PixelsOf(BmpFile(withMasks(124, 32, kBitFields, rgba), {},
                                                             PixelRows(2, 1, 4, {0x00123456, 0x00ABCDEF}, false))));
    // 4-4-4-4 in 16 bits.
    EXPECT_EQ((Pixels{0x88FF0000u, 0xFF0000FFu}),
              PixelsOf(BmpFile(withMasks(124, 16, kBitFields, {0x0F00, 0x00F0, 0x000F, 0xF000}), {},
                               PixelRows(2, 1, 2, {0x8F00, 0xF00F}, false))));
    // Without BI_BITFIELDS the masks of a V5 header are not used: 5-5-5.
    EXPECT_EQ(Opaque({0xFF0000, 0x0000FF}), PixelsOf(BmpFile(withMasks(124, 16, kRgb, {0xF800, 0x07E0, 0x001F, 0}), {},
                                                             PixelRows(2, 1, 2, {0x7C00, 0x001F}, false))));
}

TEST(BmpFormatsTest, MasksThatCannotBeReadAreRefused)
{
    platform::DecodedImage image;
    auto withMasks = [](int bitCount, const Pixels& masks) {
        return BmpFile(SizedInfoHeader(40, 1, 1, bitCount, kBitFields), Dwords(masks), Bytes(4, 0xFF));
    };
    ASSERT_TRUE(Decode(withMasks(16, {0xF800, 0x07E0, 0x001F}), image));
    EXPECT_FALSE(Decode(withMasks(16, {0xF801, 0x07E0, 0x001E}), image));        // not contiguous
    EXPECT_FALSE(Decode(withMasks(16, {0xFC00, 0x07E0, 0x001F}), image));        // red and green overlap
    EXPECT_FALSE(Decode(withMasks(16, {0x1F0000, 0x07E0, 0x001F}), image));      // beyond 16 bits
    EXPECT_FALSE(Decode(withMasks(24, {0xFF0000, 0x00FF00, 0x0000FF}), image));  // only 16 and 32 bits
    EXPECT_FALSE(Decode(withMasks(8, {0xE0, 0x1C, 0x03}), image));

    // A V5 alpha mask that overlaps blue.
    Bytes info = SizedInfoHeader(124, 1, 1, 32, kBitFields);
    testsupport::SetLe32(info, 40, 0x00FF0000);
    testsupport::SetLe32(info, 44, 0x0000FF00);
    testsupport::SetLe32(info, 48, 0x000000FF);
    testsupport::SetLe32(info, 52, 0xFF000080);
    EXPECT_FALSE(Decode(BmpFile(info, {}, Bytes(4, 0xFF)), image));
}
