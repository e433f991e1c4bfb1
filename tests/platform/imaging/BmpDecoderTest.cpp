// .bmp files: pixels of the palette and true-colour depths in both row
// orders, the resolution, and the files that must be refused (unsupported
// kinds, bad offsets, too large, cut short anywhere).
#include "platform/imaging/BmpDecoder.h"
#include "tests/support/ImageBytes.h"

#include <gtest/gtest.h>

using testsupport::Bytes;

namespace {

bool Decode(const Bytes& file, platform::DecodedImage& out)
{
    return platform::BmpDecoder::Decode(file.data(), file.size(), out);
}

// 3 × 2, so 24-bit rows need a byte of padding.
const std::vector<std::uint32_t> kSix = {0x112233, 0x445566, 0x778899, 0xAABBCC, 0xDDEEFF, 0x010203};

std::vector<std::uint32_t> Opaque(const std::vector<std::uint32_t>& rgb)
{
    std::vector<std::uint32_t> out;
    for (std::uint32_t c : rgb)
        out.push_back(0xFF000000u | c);
    return out;
}

Bytes SixPixelFile(bool topDown)
{
    return testsupport::BmpFile(testsupport::InfoHeader(3, topDown ? -2 : 2, 24), {},
                                testsupport::Rows24(3, 2, kSix, topDown));
}

}  // namespace

TEST(BmpDecoderTest, TwentyFourBitBottomUpAndTopDown)
{
    for (bool topDown : {false, true}) {
        platform::DecodedImage image;
        ASSERT_TRUE(Decode(SixPixelFile(topDown), image)) << topDown;
        EXPECT_EQ(3, image.image.width);
        EXPECT_EQ(2, image.image.height);
        EXPECT_EQ(Opaque(kSix), image.image.pixels) << topDown;
    }
}

TEST(BmpDecoderTest, EightBitUsesTheColourTable)
{
    // Three colours in the table (clrUsed 3); index 7 is past it and draws black.
    Bytes bits = {0, 1, 2, 7, /* padding */ 2, 2, 1, 0};
    const Bytes file = testsupport::BmpFile(testsupport::InfoHeader(4, 2, 8, 3),
                                            testsupport::ColourTable({0xFF0000, 0x00FF00, 0x0000FF}), bits);
    platform::DecodedImage image;
    ASSERT_TRUE(Decode(file, image));
    // Bottom-up: the second stored row is the top one.
    EXPECT_EQ(Opaque({0x0000FF, 0x0000FF, 0x00FF00, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0x000000}),
              image.image.pixels);
}

TEST(BmpDecoderTest, FourAndOneBitPixelsInOrder)
{
    platform::DecodedImage image;
    // 4 bits: 3 pixels (indexes 1, 2, 3) in one row of 4 bytes, top-down.
    const Bytes four = testsupport::BmpFile(testsupport::InfoHeader(3, -1, 4, 4),
                                            testsupport::ColourTable({0x000000, 0x111111, 0x222222, 0x333333}),
                                            {0x12, 0x30, 0, 0});
    ASSERT_TRUE(Decode(four, image));
    EXPECT_EQ(Opaque({0x111111, 0x222222, 0x333333}), image.image.pixels);

    // 1 bit: 10 pixels 1011000001, most significant bit first.
    const Bytes one = testsupport::BmpFile(testsupport::InfoHeader(10, 1, 1),
                                           testsupport::ColourTable({0x000000, 0xFFFFFF}), {0xB0, 0x40, 0, 0});
    ASSERT_TRUE(Decode(one, image));
    const std::uint32_t k = 0xFF000000u, w = 0xFFFFFFFFu;
    EXPECT_EQ((std::vector<std::uint32_t>{w, k, w, w, k, k, k, k, k, w}), image.image.pixels);
}

TEST(BmpDecoderTest, ThirtyTwoBitAlphaOnlyWhenThere)
{
    Bytes withAlpha = {0x10, 0x20, 0x30, 0x80, 0x01, 0x02, 0x03, 0x00};
    platform::DecodedImage image;
    ASSERT_TRUE(Decode(testsupport::BmpFile(testsupport::InfoHeader(2, 1, 32), {}, withAlpha), image));
    EXPECT_EQ((std::vector<std::uint32_t>{0x80302010u, 0x00030201u}), image.image.pixels);

    // A fourth byte that is 0 everywhere is unused, not transparent.
    Bytes noAlpha = {0x10, 0x20, 0x30, 0x00, 0x01, 0x02, 0x03, 0x00};
    ASSERT_TRUE(Decode(testsupport::BmpFile(testsupport::InfoHeader(2, 1, 32), {}, noAlpha), image));
    EXPECT_EQ((std::vector<std::uint32_t>{0xFF302010u, 0xFF030201u}), image.image.pixels);
}

TEST(BmpDecoderTest, ResolutionFromPelsPerMetre)
{
    Bytes file = testsupport::BmpFile(testsupport::InfoHeader(96, 1, 24, 0, 2835, 11811), {},
                                      Bytes(96 * 3, 0));
    platform::DecodedImage image;
    ASSERT_TRUE(Decode(file, image));
    // 2835 pels per metre is 72.009 dpi, 11811 is 299.9994 dpi.
    EXPECT_EQ(3386, platform::HimetricFromPixels(96, image.x));
    EXPECT_EQ(813, platform::HimetricFromPixels(96, image.y));

    // None given (0 or negative): 96 dpi.
    file = testsupport::BmpFile(testsupport::InfoHeader(96, 1, 24, 0, 0, -5), {}, Bytes(96 * 3, 0));
    ASSERT_TRUE(Decode(file, image));
    EXPECT_EQ(2540, platform::HimetricFromPixels(96, image.x));
    EXPECT_EQ(2540, platform::HimetricFromPixels(96, image.y));
}

TEST(BmpDecoderTest, LongerHeadersAreRead)
{
    for (std::uint32_t headerSize : {52u, 56u, 108u, 124u}) {
        Bytes info = testsupport::InfoHeader(3, 2, 24);
        testsupport::SetLe32(info, 0, headerSize);
        info.resize(headerSize, 0);
        platform::DecodedImage image;
        ASSERT_TRUE(Decode(testsupport::BmpFile(info, {}, testsupport::Rows24(3, 2, kSix, false)), image))
            << headerSize;
        EXPECT_EQ(Opaque(kSix), image.image.pixels);
    }
}

TEST(BmpDecoderTest, UnsupportedKindsAreRefused)
{
    const Bytes good = SixPixelFile(false);
    platform::DecodedImage image;
    auto refusedWith = [&](std::size_t at, std::uint32_t value, int bytes) {
        Bytes f = good;
        for (int i = 0; i < bytes; ++i)
            f[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return !Decode(f, image);
    };
    EXPECT_TRUE(refusedWith(14, 66, 4));          // a header size no header has
    EXPECT_TRUE(refusedWith(14, 8, 4));
    EXPECT_TRUE(refusedWith(14 + 12, 2, 2));      // two planes
    EXPECT_TRUE(refusedWith(14 + 14, 12, 2));     // 12 bits
    EXPECT_TRUE(refusedWith(14 + 16, 1, 4));      // RLE8 of 24-bit pixels
    EXPECT_TRUE(refusedWith(14 + 16, 3, 4));      // bit fields of 24-bit pixels
    EXPECT_TRUE(refusedWith(14 + 16, 4, 4));      // JPEG and PNG inside a bitmap
    EXPECT_TRUE(refusedWith(14 + 16, 5, 4));
    EXPECT_TRUE(refusedWith(14 + 4, 0, 4));       // width 0
    EXPECT_TRUE(refusedWith(14 + 8, 0, 4));       // height 0
    EXPECT_TRUE(refusedWith(14 + 8, 0x80000000u, 4));  // the most negative height
    EXPECT_TRUE(refusedWith(0, 'B' | ('A' << 8), 2));
    EXPECT_TRUE(Decode(good, image));
}

TEST(BmpDecoderTest, PixelOffsetMustLieBetweenTableAndEnd)
{
    Bytes file = SixPixelFile(false);
    platform::DecodedImage image;
    testsupport::SetLe32(file, 10, 53);  // inside the info header
    EXPECT_FALSE(Decode(file, image));
    testsupport::SetLe32(file, 10, static_cast<std::uint32_t>(file.size()) + 1);
    EXPECT_FALSE(Decode(file, image));
    testsupport::SetLe32(file, 10, 0xFFFFFFF0u);
    EXPECT_FALSE(Decode(file, image));
    testsupport::SetLe32(file, 10, 58);  // 4 bytes later: the last row is not all there
    EXPECT_FALSE(Decode(file, image));

    // A table longer than the file is refused before it is read.
    Bytes table = testsupport::BmpFile(testsupport::InfoHeader(1, 1, 8, 200), testsupport::ColourTable({0}),
                                       {0, 0, 0, 0});
    EXPECT_FALSE(Decode(table, image));
    // And more entries than 8 bits can index.
    table = testsupport::BmpFile(testsupport::InfoHeader(1, 1, 8, 257), Bytes(257 * 4, 0), {0, 0, 0, 0});
    EXPECT_FALSE(Decode(table, image));
}

TEST(BmpDecoderTest, SizeLimits)
{
    platform::DecodedImage image;
    // 16385 wide: refused from the header alone.
    EXPECT_FALSE(Decode(testsupport::BmpFile(testsupport::InfoHeader(16385, 1, 1), Bytes(8, 0), Bytes(2052, 0)),
                        image));
    // 8192 × 8193 one-bit pixels: every byte there, but above 64 Mi pixels.
    EXPECT_FALSE(Decode(testsupport::BmpFile(testsupport::InfoHeader(8192, 8193, 1), Bytes(8, 0),
                                             Bytes(std::size_t{1024} * 8193, 0)),
                        image));
}

TEST(BmpDecoderTest, EveryShorterFileIsRefused)
{
    const Bytes files[] = {
        SixPixelFile(false), SixPixelFile(true),
        testsupport::BmpFile(testsupport::InfoHeader(4, 2, 8, 3), testsupport::ColourTable({1, 2, 3}),
                             Bytes(8, 1)),
        // OS/2 1.x and 2.x headers, 5-6-5 masks after the header, masks in a V5 header.
        testsupport::BmpFile(testsupport::CoreHeader(2, 2, 8), testsupport::ColourTriples(kSix), Bytes(8, 1)),
        testsupport::BmpFile(testsupport::SizedInfoHeader(64, 3, 2, 24, 0), {}, testsupport::Rows24(3, 2, kSix, false)),
        testsupport::BmpFile(testsupport::SizedInfoHeader(40, 3, 2, 16, 3), testsupport::Dwords({0xF800, 0x07E0, 0x1F}),
                             Bytes(16, 0x5A)),
        testsupport::BmpFile(testsupport::SizedInfoHeader(124, 3, -2, 32, 3), {}, Bytes(24, 0x5A))};
    for (const Bytes& full : files) {
        platform::DecodedImage image;
        ASSERT_TRUE(Decode(full, image));
        for (std::size_t n = 0; n < full.size(); ++n) {
            const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(platform::BmpDecoder::Decode(cut.data(), cut.size(), image)) << n;
        }
    }
}
