// The bitmap button's image: which bitmap a button takes, and how its four
// state cells are made from it.
#include "ui/skin/CButtonImageSet.h"
#include "ui/skin/CDappleBitmapButton.h"
#include "ui/skin/CSkinBitmap.h"

#include <gtest/gtest.h>

namespace {

constexpr std::uint32_t kKey = 0xFFFF00FF;
constexpr COLORREF kBackground = RGB(216, 226, 251);
constexpr std::uint32_t kBackgroundPixel = 0xFFD8E2FB;

// Four cells of w x h, each filled with its own colour, the key colour in
// the top left corner of each cell.
std::shared_ptr<const CSkinBitmap> Cells(int w, int h, const std::uint32_t (&colours)[4], LONG pelsPerMetre = 0)
{
    platform::PixelImage img;
    img.width = 4 * w;
    img.height = h;
    img.pixels.resize(static_cast<std::size_t>(img.width) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < img.width; ++x)
            img.pixels[static_cast<std::size_t>(y) * img.width + x] = x % w == 0 && y == 0 ? kKey : colours[x / w];
    return std::make_shared<const CSkinBitmap>(std::move(img), pelsPerMetre, pelsPerMetre);
}

std::uint32_t At(const platform::PixelImage& img, int x, int y)
{
    return img.pixels[static_cast<std::size_t>(y) * img.width + x];
}

}  // namespace

TEST(BitmapButtonImage, FlatTallAndOtherButtonsTakeTheirIndexes)
{
    // The dialog font's text is 13 high: a button is tall from 24 pixels on.
    EXPECT_EQ(CDappleBitmapButton::ImageIndex(BS_PUSHBUTTON, 13, 24), 13);
    EXPECT_EQ(CDappleBitmapButton::ImageIndex(BS_DEFPUSHBUTTON, 13, 37), 13);
    EXPECT_EQ(CDappleBitmapButton::ImageIndex(BS_PUSHBUTTON, 13, 23), 14);
    EXPECT_EQ(CDappleBitmapButton::ImageIndex(BS_PUSHBUTTON, 13, 14), 14);
    EXPECT_EQ(CDappleBitmapButton::ImageIndex(BS_PUSHBUTTON | BS_FLAT, 13, 37), 28);
    EXPECT_EQ(CDappleBitmapButton::ImageIndex(BS_PUSHBUTTON | BS_FLAT, 13, 14), 28);
}

TEST(BitmapButtonImage, EachStateComesFromItsCell)
{
    // Saturated colours, which no blending touches.
    CButtonImageSet set(Cells(10, 6, {0xFFCC0000, 0xFF00AA00, 0xFF0000CC, 0xFFCCCC00}), kBackground, 200);
    const struct {
        ButtonImageState state;
        std::uint32_t colour;
    } cells[] = {{ButtonImageState::Normal, 0xFFCC0000},
                 {ButtonImageState::Hot, 0xFF00AA00},
                 {ButtonImageState::Pressed, 0xFF0000CC},
                 {ButtonImageState::Disabled, 0xFFCCCC00}};
    for (const auto& c : cells) {
        const platform::PixelImage& img = set.Image(c.state, 10, 6, 1.0);
        ASSERT_EQ(img.width, 10);
        ASSERT_EQ(img.height, 6);
        EXPECT_EQ(At(img, 5, 3), c.colour) << static_cast<int>(c.state);
        // The key colour shows the background behind the button.
        EXPECT_EQ(At(img, 0, 0), kBackgroundPixel) << static_cast<int>(c.state);
    }
}

TEST(BitmapButtonImage, NeutralPixelsBlendTowardsTheBackgroundByHowNeutralTheyAre)
{
    // White, perfectly neutral, becomes the background itself; a mid grey its
    // darker shade.
    EXPECT_EQ(CButtonImageSet::BlendNeutral(0xFFFFFFFF, kBackground, 200), kBackgroundPixel);
    EXPECT_EQ(CButtonImageSet::BlendNeutral(0xFF808080, kBackground, 200), 0xFF6C717Eu);
    // Channel ratios 400, 333, 266 (in thousandths of the sum): a spread of
    // 134 of the 200, so a third of the way.
    EXPECT_EQ(CButtonImageSet::BlendNeutral(0xFFF0C8A0, RGB(0, 0, 0), 200), 0xFFA1866Bu);
    // A colour whose ratios spread 200 or more is left as it is.
    EXPECT_EQ(CButtonImageSet::BlendNeutral(0xFF364E85, kBackground, 200), 0xFF364E85u);
    EXPECT_EQ(CButtonImageSet::BlendNeutral(0xFFFFAB00, kBackground, 200), 0xFFFFAB00u);
    // With a frame value of 0 nothing counts as neutral.
    EXPECT_EQ(CButtonImageSet::BlendNeutral(0xFFFFFFFF, kBackground, 0), 0xFFFFFFFFu);
}

TEST(BitmapButtonImage, CellsAreScaledToTheButtonWithTheirEdgesKeptAndMadeOncePerSize)
{
    // 40 x 24 cells of 192 dots per inch: 20 x 12 logical pixels. A red left
    // edge column and a blue right one; the rest is saturated green.
    platform::PixelImage img;
    img.width = 160;
    img.height = 24;
    img.pixels.assign(160 * 24, 0xFF00AA00);
    for (int cell = 0; cell < 4; ++cell)
        for (int y = 0; y < 24; ++y) {
            img.pixels[static_cast<std::size_t>(y) * 160 + cell * 40] = 0xFFCC0000;
            img.pixels[static_cast<std::size_t>(y) * 160 + cell * 40 + 39] = 0xFF0000CC;
        }
    img.pixels[0] = kKey;
    CButtonImageSet set(std::make_shared<const CSkinBitmap>(std::move(img), 7559, 7559), kBackground, 200);

    // 111 x 37 device pixels at ratio 1: the edges stay 6 pixels wide, the
    // middle stretches; the outer column keeps its colour.
    const platform::PixelImage& wide = set.Image(ButtonImageState::Normal, 111, 37, 1.0);
    ASSERT_EQ(wide.width, 111);
    ASSERT_EQ(wide.height, 37);
    EXPECT_EQ(At(wide, 55, 18), 0xFF00AA00u);
    EXPECT_NE(At(wide, 110, 18), 0xFF00AA00u) << "the right edge column is there";
    EXPECT_EQ(At(wide, 8, 18), 0xFF00AA00u) << "the left edge is only 6 pixels wide";
    EXPECT_EQ(set.PreparedImages(), 1) << "only the state asked for";
    // Repeated paints use the images made once for the size.
    for (int i = 0; i < 3; ++i)
        for (ButtonImageState s : {ButtonImageState::Normal, ButtonImageState::Hot, ButtonImageState::Pressed,
                                   ButtonImageState::Disabled})
            set.Image(s, 111, 37, 1.0);
    EXPECT_EQ(set.PreparedImages(), 4);
    // Doubled pixels for a doubled screen: the source pixels land one for one.
    const platform::PixelImage& sharp = set.Image(ButtonImageState::Normal, 222, 74, 2.0);
    EXPECT_EQ(At(sharp, 221, 37), 0xFF0000CCu);
    EXPECT_EQ(At(sharp, 220, 37), 0xFF00AA00u);
    EXPECT_EQ(set.PreparedImages(), 5);
}

TEST(BitmapButtonImage, NoBitmapGivesNoImage)
{
    CButtonImageSet set(nullptr, kBackground, 200);
    EXPECT_EQ(set.Image(ButtonImageState::Normal, 100, 30, 1.0).width, 0);
}
