// Run-length encoded bitmaps (BI_RLE8, BI_RLE4): every kind of code against
// known pixels, and hostile streams: runs past the edge, moves past the top,
// counts past the data, streams cut anywhere.
#include "platform/imaging/BmpDecoder.h"
#include "platform/imaging/IcoDecoder.h"
#include "tests/support/ImageBytes.h"

#include <gtest/gtest.h>

using testsupport::BmpFile;
using testsupport::Bytes;

namespace {

constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBlack = 0xFF000000u;

using Pixels = std::vector<std::uint32_t>;

// Colour i of the tables below: 0x0F0F0F × (i + 1), never black.
std::uint32_t Colour(int i)
{
    return kBlack | (0x0F0F0Fu * static_cast<std::uint32_t>(i + 1));
}

Bytes Table(int entries)
{
    Pixels rgb;
    for (int i = 0; i < entries; ++i)
        rgb.push_back(Colour(i) & 0xFFFFFF);
    return testsupport::ColourTable(rgb);
}

Bytes RleFile(std::uint32_t compression, std::int32_t width, std::int32_t height, const Bytes& stream)
{
    const int bits = compression == kRle8 ? 8 : 4;
    return BmpFile(testsupport::SizedInfoHeader(40, width, height, bits, compression), Table(1 << bits), stream);
}

bool Decode(const Bytes& file, platform::DecodedImage& out)
{
    return platform::BmpDecoder::Decode(file.data(), file.size(), out);
}

Pixels PixelsOf(const Bytes& file)
{
    platform::DecodedImage image;
    if (!Decode(file, image)) {
        ADD_FAILURE() << "the file was refused";
        return {};
    }
    return image.image.pixels;
}

// 4 × 3: an encoded run, a move one right and one up, an end of line, an
// absolute run of three (padded to four bytes), the end of the bitmap.
const Bytes kRle8Stream = {2, 1, 0, 2, 1, 1, 1, 3, 0, 0, 0, 3, 2, 3, 0, 0, 0, 1};
// 8 × 2: runs alternate the two halves of their byte; absolute runs of three
// (two bytes) and five (three bytes and a pad). The stream ends after the
// end of its last line, without an end-of-bitmap code.
const Bytes kRle4Stream = {5, 0x12, 0, 3, 0x34, 0x50, 0, 0, 0, 5, 0x67, 0x89, 0xA0, 0, 3, 0xBC, 0, 0};

}  // namespace

TEST(BmpRunLengthTest, EightBitRunsMovesAndAbsoluteRuns)
{
    const std::uint32_t k = kBlack;                        // never drawn
    EXPECT_EQ((Pixels{Colour(2), Colour(3), Colour(0), k,  //
                      k, k, k, Colour(3),                  //
                      Colour(1), Colour(1), k, k}),
              PixelsOf(RleFile(kRle8, 4, 3, kRle8Stream)));
}

TEST(BmpRunLengthTest, FourBitRunsAlternateHalves)
{
    Pixels expected;
    for (int i : {6, 7, 8, 9, 10, 11, 12, 11, 1, 2, 1, 2, 1, 3, 4, 5})
        expected.push_back(Colour(i));
    EXPECT_EQ(expected, PixelsOf(RleFile(kRle4, 8, 2, kRle4Stream)));
}

TEST(BmpRunLengthTest, RunsAndMovesOutsideTheImageDrawNothingThere)
{
    const std::uint32_t k = kBlack;
    // A run longer than its row is cut at the right edge; it does not wrap.
    EXPECT_EQ((Pixels{k, k, k, Colour(1), Colour(1), Colour(1)}), PixelsOf(RleFile(kRle8, 3, 2, {5, 1, 0, 0, 0, 1})));
    // So is an absolute run, in both depths.
    EXPECT_EQ((Pixels{k, k, k, Colour(1), Colour(2), Colour(3)}),
              PixelsOf(RleFile(kRle8, 3, 2, {0, 5, 1, 2, 3, 4, 5, 0, 0, 0, 0, 1})));
    EXPECT_EQ((Pixels{k, k, k, Colour(1), Colour(2), Colour(3)}),
              PixelsOf(RleFile(kRle4, 3, 2, {0, 5, 0x12, 0x34, 0x50, 0, 0, 0, 0, 1})));
    // After a move past the right edge nothing is drawn until the line ends.
    EXPECT_EQ((Pixels{Colour(0), k, k, k, k, k}),
              PixelsOf(RleFile(kRle8, 3, 2, {0, 2, 200, 0, 2, 1, 0, 0, 1, 0, 0, 1})));
    // A move or an end of line past the top row ends the bitmap; what follows
    // is never read, whatever it is.
    EXPECT_EQ((Pixels{k, k, k, Colour(1), k, k}), PixelsOf(RleFile(kRle8, 3, 2, {1, 1, 0, 2, 0, 255, 0, 255})));
    EXPECT_EQ((Pixels{Colour(2), k, k, Colour(1), k, k}), PixelsOf(RleFile(kRle8, 3, 2, {1, 1, 0, 0, 1, 2, 0, 0, 0})));
}

TEST(BmpRunLengthTest, StreamsThatEndEarlyAreRefused)
{
    platform::DecodedImage image;
    // Counts that reach past the data: an absolute run, a move's two bytes.
    EXPECT_FALSE(Decode(RleFile(kRle8, 3, 2, {0, 200, 1, 1, 0, 1}), image));
    EXPECT_FALSE(Decode(RleFile(kRle4, 3, 2, {0, 9, 0x11, 0x11, 0x11}), image));
    EXPECT_FALSE(Decode(RleFile(kRle8, 3, 2, {1, 1, 0, 2, 1}), image));
    // Every cut of the streams above, even at a code's boundary: rows are
    // still to be drawn and the end-of-bitmap code never came.
    for (const Bytes& full : {RleFile(kRle8, 4, 3, kRle8Stream), RleFile(kRle4, 8, 2, kRle4Stream)}) {
        ASSERT_TRUE(Decode(full, image));
        for (std::size_t n = 0; n < full.size(); ++n) {
            const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_FALSE(platform::BmpDecoder::Decode(cut.data(), cut.size(), image)) << n;
        }
    }
}

TEST(BmpRunLengthTest, HeadersThatCannotHoldEncodedRows)
{
    platform::DecodedImage image;
    const Bytes endOfBitmap = {0, 1};
    ASSERT_TRUE(Decode(RleFile(kRle8, 3, 2, endOfBitmap), image));
    // Encoded rows are stored bottom-up only.
    EXPECT_FALSE(Decode(RleFile(kRle8, 3, -2, endOfBitmap), image));
    // Each compression with its own depth only.
    EXPECT_FALSE(Decode(BmpFile(testsupport::SizedInfoHeader(40, 3, 2, 4, kRle8), Table(16), endOfBitmap), image));
    EXPECT_FALSE(Decode(BmpFile(testsupport::SizedInfoHeader(40, 3, 2, 8, kRle4), Table(256), endOfBitmap), image));
    // Two bytes do not make a picture above the size limits.
    EXPECT_FALSE(Decode(RleFile(kRle8, 8192, 8193, endOfBitmap), image));

    // An icon's mask follows its colour rows, which must have a known size:
    // an encoded icon image is refused.
    Bytes dib = testsupport::SizedInfoHeader(40, 2, 4, 8, kRle8);
    const Bytes table = Table(256);
    dib.insert(dib.end(), table.begin(), table.end());
    dib.insert(dib.end(), {2, 1, 0, 0, 2, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0});
    const Bytes icon = testsupport::IcoFile({{2, 2, 8, dib}});
    platform::IcoDecoder ico;
    ASSERT_TRUE(ico.ReadDirectory(icon.data(), icon.size()));
    platform::PixelImage pixels;
    EXPECT_FALSE(ico.DecodeEntry(0, pixels));
}
