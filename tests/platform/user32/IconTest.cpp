// Icons: reading .ico directories, choosing and decoding the image closest
// to 32 × 32 with its transparency, refusing damaged files, and LoadIconA /
// DrawIcon / IconImage on group-icon resources of a module.
#include "platform/imaging/IcoDecoder.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/Icon.h"
#include "tests/support/ImageBytes.h"
#include "tests/support/RecordingDeviceContext.h"

#include <gtest/gtest.h>
#include <memory>

using testsupport::Bytes;
using testsupport::IcoImage;
using testsupport::SolidIconDib32;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu;

// 16, 32 and 48 pixels, each its own colour, the 32 one in the middle.
Bytes ThreeSizes()
{
    return testsupport::IcoFile({{16, 16, 32, SolidIconDib32(16, 16, kRed)},
                                 {48, 48, 32, SolidIconDib32(48, 48, kBlue)},
                                 {32, 32, 32, SolidIconDib32(32, 32, kGreen)}});
}

Bytes PngEntry(int size)
{
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(static_cast<std::size_t>(size), 0);
    return png;
}

bool DecodeClosest(const Bytes& ico, platform::PixelImage& out)
{
    platform::IcoDecoder decoder;
    return decoder.ReadDirectory(ico.data(), ico.size()) && decoder.DecodeClosest(32, 32, out);
}

// A module holding group icons, registered while the object lives.
class IconModule {
public:
    explicit IconModule(std::vector<std::pair<platform::ResourceEntry, Bytes>> icons)
    {
        for (auto& [entry, bytes] : icons)
            m_bytes.push_back(std::make_unique<Bytes>(std::move(bytes)));
        std::vector<platform::ResourceEntry> entries;
        for (std::size_t i = 0; i < icons.size(); ++i) {
            platform::ResourceEntry e = icons[i].first;
            e.data = m_bytes[i]->data();
            e.size = static_cast<DWORD>(m_bytes[i]->size());
            entries.push_back(e);
        }
        m_module = std::make_unique<platform::ResourceModule>("icons", entries);
    }
    HMODULE Handle() const { return m_module->Handle(); }

private:
    std::vector<std::unique_ptr<Bytes>> m_bytes;
    std::unique_ptr<platform::ResourceModule> m_module;
};

platform::ResourceEntry GroupIcon(WORD id, LPCSTR name = nullptr, WORD language = 0)
{
    return platform::ResourceEntry{{RT_GROUP_ICON_ID, nullptr}, {id, name}, language, nullptr, 0};
}

}  // namespace

TEST(IcoDecoderTest, ReadsTheDirectory)
{
    const Bytes ico = ThreeSizes();
    platform::IcoDecoder decoder;
    ASSERT_TRUE(decoder.ReadDirectory(ico.data(), ico.size()));
    ASSERT_EQ(3u, decoder.Entries().size());
    EXPECT_EQ(48, decoder.Entries()[1].width);
    EXPECT_EQ(32, decoder.Entries()[1].bitCount);
    EXPECT_FALSE(decoder.Entries()[1].png);
    EXPECT_EQ(6u + 3 * 16, decoder.Entries()[0].offset);
}

TEST(IcoDecoderTest, ChoosesTheImageClosestToThirtyTwo)
{
    platform::PixelImage image;
    ASSERT_TRUE(DecodeClosest(ThreeSizes(), image));
    EXPECT_EQ(32, image.width);
    EXPECT_EQ(32, image.height);
    EXPECT_EQ(kGreen, image.pixels.front());

    // Without a 32: 24 is nearer than 48; at equal sizes the deeper colours win.
    const Bytes ico = testsupport::IcoFile({{48, 48, 32, SolidIconDib32(48, 48, kBlue)},
                                            {24, 24, 8, SolidIconDib32(24, 24, kRed)},
                                            {24, 24, 32, SolidIconDib32(24, 24, kGreen)}});
    ASSERT_TRUE(DecodeClosest(ico, image));
    EXPECT_EQ(24, image.width);
    EXPECT_EQ(kGreen, image.pixels.front());
}

TEST(IcoDecoderTest, AlphaFromThePixelsOrFromTheMask)
{
    // With alpha in the pixels the mask is not used.
    const std::vector<std::uint32_t> argb = {0x80112233u, 0xFF445566u, 0x00000000u, 0xFF778899u};
    platform::PixelImage image;
    ASSERT_TRUE(DecodeClosest(testsupport::IcoFile({{2, 2, 32, testsupport::IconDib32(2, 2, argb,
                                                                                        {true, true, true, true})}}),
                              image));
    EXPECT_EQ(argb, image.pixels);

    // Without alpha, a set mask bit is transparent.
    const std::vector<std::uint32_t> rgb = {0x00112233u, 0x00445566u, 0x00778899u, 0x00AABBCCu};
    ASSERT_TRUE(DecodeClosest(testsupport::IcoFile({{2, 2, 32, testsupport::IconDib32(2, 2, rgb,
                                                                                        {false, true, true, false})}}),
                              image));
    EXPECT_EQ((std::vector<std::uint32_t>{0xFF112233u, 0x00445566u, 0x00778899u, 0xFFAABBCCu}), image.pixels);
}

TEST(IcoDecoderTest, PaletteIconWithMask)
{
    // 2 × 2, 4 bits: indexes 1 0 over 0 1, the top left masked out.
    Bytes dib = testsupport::InfoHeader(2, 4, 4, 2);
    const Bytes table = testsupport::ColourTable({0x000000, 0xFFFFFF});
    dib.insert(dib.end(), table.begin(), table.end());
    dib.insert(dib.end(), {0x01, 0, 0, 0, 0x10, 0, 0, 0});  // colour rows, bottom first
    dib.insert(dib.end(), {0x00, 0, 0, 0, 0x80, 0, 0, 0});  // mask rows, bottom first
    platform::PixelImage image;
    ASSERT_TRUE(DecodeClosest(testsupport::IcoFile({{2, 2, 4, dib}}), image));
    EXPECT_EQ((std::vector<std::uint32_t>{0x00FFFFFFu, 0xFF000000u, 0xFF000000u, 0xFFFFFFFFu}), image.pixels);
}

TEST(IcoDecoderTest, PngEntriesAreSkipped)
{
    platform::PixelImage image;
    const Bytes mixed = testsupport::IcoFile({{32, 32, 32, PngEntry(64)}, {16, 16, 32, SolidIconDib32(16, 16, kRed)}});
    ASSERT_TRUE(DecodeClosest(mixed, image));
    EXPECT_EQ(16, image.width);
    EXPECT_FALSE(DecodeClosest(testsupport::IcoFile({{32, 32, 32, PngEntry(64)}}), image));
}

TEST(IcoDecoderTest, DamagedImageFallsBackToTheNextClosest)
{
    Bytes broken = SolidIconDib32(32, 32, kGreen);
    broken.pop_back();  // the mask's last byte is missing
    platform::PixelImage image;
    ASSERT_TRUE(DecodeClosest(testsupport::IcoFile({{32, 32, 32, broken}, {16, 16, 32, SolidIconDib32(16, 16, kRed)}}),
                              image));
    EXPECT_EQ(16, image.width);
}

TEST(IcoDecoderTest, MalformedDirectoriesAreRefused)
{
    platform::IcoDecoder decoder;
    const Bytes good = ThreeSizes();
    auto refused = [&](std::size_t at, std::uint32_t value, int bytes) {
        Bytes f = good;
        for (int i = 0; i < bytes; ++i)
            f[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
        return !decoder.ReadDirectory(f.data(), f.size());
    };
    EXPECT_TRUE(refused(0, 1, 2));                 // reserved
    EXPECT_TRUE(refused(2, 2, 2));                 // a cursor file
    EXPECT_TRUE(refused(4, 0, 2));                 // no images
    EXPECT_TRUE(refused(4, 200, 2));               // more entries than bytes
    EXPECT_TRUE(refused(6 + 12, 0xFFFFFFF0u, 4));  // offset past the end
    EXPECT_TRUE(refused(6 + 8, 0xFFFFFFFFu, 4));   // size past the end
    EXPECT_TRUE(refused(6 + 8, 4, 4));             // too small for any image
    EXPECT_TRUE(decoder.ReadDirectory(good.data(), good.size()));
    EXPECT_FALSE(decoder.ReadDirectory(nullptr, 0));
}

TEST(IcoDecoderTest, EveryShorterFileIsRefused)
{
    const Bytes full = testsupport::IcoFile({{4, 4, 32, SolidIconDib32(4, 4, kRed)}});
    platform::PixelImage image;
    ASSERT_TRUE(DecodeClosest(full, image));
    for (std::size_t n = 0; n < full.size(); ++n) {
        const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_FALSE(DecodeClosest(cut, image)) << n;
    }
}

TEST(LoadIconTest, LoadsTheThirtyTwoImageAndSharesIt)
{
    IconModule module({{GroupIcon(1), ThreeSizes()}});
    HICON icon = LoadIconA(module.Handle(), MAKEINTRESOURCEA(1));
    ASSERT_NE(nullptr, icon);
    const platform::PixelImage* image = IconImage(icon);
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(32, image->width);
    EXPECT_EQ(32, image->height);
    EXPECT_EQ(kGreen, image->pixels.back());
    EXPECT_EQ(icon, LoadIconA(module.Handle(), MAKEINTRESOURCEA(1)));
}

TEST(LoadIconTest, NamesAndLanguages)
{
    // An icon in one language only is found by the neutral search.
    IconModule module({{GroupIcon(0, "AppIcon", 1031), ThreeSizes()}});
    HICON icon = LoadIconA(module.Handle(), "appicon");
    ASSERT_NE(nullptr, icon);
    EXPECT_EQ(icon, LoadIconA(module.Handle(), "APPICON"));
    EXPECT_EQ(nullptr, LoadIconA(module.Handle(), "other"));
    EXPECT_EQ(ERROR_RESOURCE_NAME_NOT_FOUND, GetLastError());
    EXPECT_EQ(nullptr, LoadIconA(module.Handle(), nullptr));
}

TEST(LoadIconTest, MalformedIconIsRefused)
{
    Bytes bad = ThreeSizes();
    bad[2] = 2;  // a cursor directory
    IconModule module({{GroupIcon(5), bad}, {GroupIcon(6), testsupport::IcoFile({{32, 32, 32, PngEntry(40)}})}});
    EXPECT_EQ(nullptr, LoadIconA(module.Handle(), MAKEINTRESOURCEA(5)));
    EXPECT_EQ(ERROR_INVALID_DATA, GetLastError());
    EXPECT_EQ(nullptr, LoadIconA(module.Handle(), MAKEINTRESOURCEA(6)));
    EXPECT_EQ(ERROR_INVALID_DATA, GetLastError());
}

TEST(LoadIconTest, DrawIconDrawsAtItsOwnSize)
{
    IconModule module({{GroupIcon(1), ThreeSizes()}});
    HICON icon = LoadIconA(module.Handle(), MAKEINTRESOURCEA(1));
    ASSERT_NE(nullptr, icon);
    testsupport::RecordingDeviceContext dc;
    ASSERT_TRUE(DrawIcon(&dc, 7, 9, icon));
    ASSERT_EQ(1u, dc.Calls().size());
    const testsupport::DrawCall& call = dc.Calls()[0];
    EXPECT_EQ(7, call.x);
    EXPECT_EQ(9, call.y);
    EXPECT_EQ(32, call.w);
    EXPECT_EQ(32, call.h);
    EXPECT_EQ(0, call.sx);
    EXPECT_EQ(0, call.sy);
    EXPECT_EQ(32, call.sw);
    EXPECT_EQ(32, call.sh);
    EXPECT_EQ(kGreen, call.image.pixels.front());

    EXPECT_FALSE(DrawIcon(nullptr, 0, 0, icon));
    EXPECT_EQ(ERROR_INVALID_HANDLE, GetLastError());
    int notAnIcon = 0;
    EXPECT_FALSE(DrawIcon(&dc, 0, 0, reinterpret_cast<HICON>(&notAnIcon)));
    EXPECT_EQ(ERROR_INVALID_CURSOR_HANDLE, GetLastError());
    EXPECT_EQ(nullptr, IconImage(reinterpret_cast<HICON>(&notAnIcon)));
    EXPECT_EQ(nullptr, IconImage(nullptr));
    EXPECT_EQ(1u, dc.Calls().size());
}
