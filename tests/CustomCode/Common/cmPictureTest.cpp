// cmPicture: loading from the program's JPG resources (by id and exact
// language) and from files, what a failed load leaves, measuring in a
// context's pixels and drawing.
#include "CustomCode/Common/cmPicture.h"

#include "platform/kernel32/Resources.h"
#include "platform/linux/TempDirectory.h"
#include "tests/support/ImageBytes.h"
#include "tests/support/RecordingDeviceContext.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

using testsupport::Bytes;

namespace {

constexpr UINT kPhotoId = 9100;    // the test photograph, German only
constexpr UINT kEmptyId = 9101;    // no bytes
constexpr UINT kGarbageId = 9102;  // bytes that are no picture

// Adds the test pictures to the program's module once per process; the
// bytes must live as long as the process does.
void RegisterTestPictures()
{
    static const Bytes photo = testsupport::TestPhoto();
    static const char garbage[] = "not a picture";
    static const platform::ResourceEntry entries[] = {
        {{0, "JPG"}, {static_cast<WORD>(kPhotoId), nullptr}, 1031, photo.data(), static_cast<DWORD>(photo.size())},
        {{0, "JPG"}, {static_cast<WORD>(kEmptyId), nullptr}, 1033, garbage, 0},
        {{0, "JPG"}, {static_cast<WORD>(kGarbageId), nullptr}, 1033, garbage, sizeof garbage - 1},
    };
    static const bool registered = (platform::RegisterProgramResources(entries, std::size(entries)), true);
    (void)registered;
}

class cmPictureTest : public ::testing::Test {
protected:
    void SetUp() override { RegisterTestPictures(); }

    std::string WriteFile(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = m_dir.Path() + "/" + name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    // The photograph loaded from a file, so that a test can see it replaced or kept.
    void LoadPhoto(cmPicture& picture) const
    {
        ASSERT_EQ(S_OK, picture.Load(WriteFile("photo.jpg", testsupport::TestPhoto()).c_str()));
        ASSERT_TRUE(picture.IsLoaded());
    }

    static int Width(cmPicture& picture, int dpi = 96)
    {
        testsupport::RecordingDeviceContext dc(dpi, dpi);
        int cx = -1;
        EXPECT_EQ(S_OK, picture.GetWidthInPixels(&dc, cx));
        return cx;
    }

    platform::ScopedTempDirectory m_dir{"cmpicture"};
};

}  // namespace

TEST_F(cmPictureTest, LoadsAJpgResourceByIdAndLanguage)
{
    cmPicture picture;
    ASSERT_EQ(S_OK, picture.Load(kPhotoId, 1031));
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(96, Width(picture));
}

TEST_F(cmPictureTest, ResourceLookupHasNoLanguageFallback)
{
    cmPicture picture;
    EXPECT_EQ(E_FAIL, picture.Load(kPhotoId, 1033));
    EXPECT_EQ(E_FAIL, picture.Load(9999, 1031));
    EXPECT_FALSE(picture.IsLoaded());
}

TEST_F(cmPictureTest, ResourceErrors)
{
    cmPicture picture;
    LoadPhoto(picture);
    EXPECT_EQ(E_INVALIDARG, picture.Load(kEmptyId, 1033));
    EXPECT_TRUE(picture.IsLoaded());  // failed before the decode: kept
    EXPECT_EQ(E_FAIL, picture.Load(kPhotoId, 1033));
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(CTL_E_INVALIDPICTURE, picture.Load(kGarbageId, 1033));
    EXPECT_FALSE(picture.IsLoaded());  // the decode failed: none
}

TEST_F(cmPictureTest, MeasuresInTheContextsPixels)
{
    // The photo measures 2540 × 1270 HIMETRIC (96 × 48 px at 96 dpi).
    cmPicture picture;
    LoadPhoto(picture);
    for (int dpi : {96, 192, 72}) {
        testsupport::RecordingDeviceContext dc(dpi, dpi);
        int cx = 0, cy = 0;
        ASSERT_EQ(S_OK, picture.GetWidthInPixels(&dc, cx));
        ASSERT_EQ(S_OK, picture.GetHeightInPixels(&dc, cy));
        EXPECT_EQ(dpi, cx);
        EXPECT_EQ(dpi / 2, cy);
    }
    // Each direction with its own dots per inch.
    testsupport::RecordingDeviceContext dc(120, 144);
    int cx = 0, cy = 0;
    picture.GetWidthInPixels(&dc, cx);
    picture.GetHeightInPixels(&dc, cy);
    EXPECT_EQ(120, cx);
    EXPECT_EQ(72, cy);
}

TEST_F(cmPictureTest, ResolutionOfTheFileDecidesThePixels)
{
    // At 300 dpi the 96 px are 813 HIMETRIC, 31 px of a 96 dpi screen.
    cmPicture picture;
    ASSERT_EQ(S_OK, picture.Load(
                        WriteFile("fine.jpg", testsupport::WithJfifDensity(testsupport::TestPhoto(), 1, 300, 300)).c_str()));
    EXPECT_EQ(31, Width(picture));
    // A bitmap at 3780 pels per metre (96.012 dpi): 100 px are 100.
    const Bytes bmp = testsupport::BmpFile(testsupport::InfoHeader(100, 1, 24, 0, 3780, 3780), {}, Bytes(300, 0));
    ASSERT_EQ(S_OK, picture.Load(WriteFile("p.bmp", bmp).c_str()));
    EXPECT_EQ(100, Width(picture));
}

TEST_F(cmPictureTest, DrawRendersTheWholePictureUpright)
{
    cmPicture picture;
    LoadPhoto(picture);
    testsupport::RecordingDeviceContext dc;
    ASSERT_EQ(S_OK, picture.Draw(&dc, 5, 6, 200, 100));
    ASSERT_EQ(1u, dc.Calls().size());
    const testsupport::DrawCall& call = dc.Calls()[0];
    EXPECT_EQ(5, call.x);
    EXPECT_EQ(6, call.y);
    EXPECT_EQ(200, call.w);
    EXPECT_EQ(100, call.h);
    EXPECT_EQ(0, call.sx);
    EXPECT_EQ(0, call.sy);
    EXPECT_EQ(96, call.sw);
    EXPECT_EQ(48, call.sh);
}

TEST_F(cmPictureTest, NothingLoadedMeansEFail)
{
    cmPicture picture;
    testsupport::RecordingDeviceContext dc;
    int cx = 7;
    EXPECT_EQ(E_FAIL, picture.GetWidthInPixels(&dc, cx));
    EXPECT_EQ(E_FAIL, picture.GetHeightInPixels(&dc, cx));
    EXPECT_EQ(7, cx);
    EXPECT_EQ(E_FAIL, picture.Draw(&dc, 0, 0, 10, 10));
    EXPECT_TRUE(dc.Calls().empty());
}

TEST_F(cmPictureTest, FileErrorsBeforeTheDecodeKeepThePicture)
{
    cmPicture picture;
    LoadPhoto(picture);
    EXPECT_EQ(E_FAIL, picture.Load((m_dir.Path() + "/missing.jpg").c_str()));
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(E_FAIL, picture.Load(m_dir.Path().c_str()));  // a folder
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(E_FAIL, picture.Load(static_cast<LPCSTR>(nullptr)));
    EXPECT_TRUE(picture.IsLoaded());
    EXPECT_EQ(96, Width(picture));
}

TEST_F(cmPictureTest, FileTooBigForMemory)
{
    // A sparse file above 4 GiB: its size does not fit a block.
    const std::string path = m_dir.Path() + "/huge.jpg";
    std::ofstream(path).put('x');
    std::error_code ec;
    std::filesystem::resize_file(path, (std::uintmax_t{5} << 30), ec);
    if (ec)
        GTEST_SKIP() << "no sparse file here: " << ec.message();
    cmPicture picture;
    LoadPhoto(picture);
    EXPECT_EQ(E_OUTOFMEMORY, picture.Load(path.c_str()));
    EXPECT_TRUE(picture.IsLoaded());
}

TEST_F(cmPictureTest, UndecodableFilesLeaveNoPicture)
{
    cmPicture picture;
    LoadPhoto(picture);
    EXPECT_EQ(CTL_E_INVALIDPICTURE, picture.Load(WriteFile("empty.jpg", {}).c_str()));
    EXPECT_FALSE(picture.IsLoaded());

    LoadPhoto(picture);
    EXPECT_EQ(CTL_E_INVALIDPICTURE, picture.Load(WriteFile("text.jpg", {'h', 'e', 'l', 'l', 'o'}).c_str()));
    EXPECT_FALSE(picture.IsLoaded());
}

TEST_F(cmPictureTest, EveryShorterPhotoFileIsRefused)
{
    const Bytes photo = testsupport::TestPhoto();
    cmPicture picture;
    for (std::size_t n = 0; n < photo.size(); n += 7) {
        const Bytes cut(photo.begin(), photo.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_EQ(CTL_E_INVALIDPICTURE, picture.Load(WriteFile("cut.jpg", cut).c_str())) << n;
        EXPECT_FALSE(picture.IsLoaded());
    }
}

TEST_F(cmPictureTest, ReleaseAndMove)
{
    cmPicture picture;
    LoadPhoto(picture);
    cmPicture moved(std::move(picture));
    EXPECT_FALSE(picture.IsLoaded());
    EXPECT_TRUE(moved.IsLoaded());
    cmPicture assigned;
    assigned = std::move(moved);
    EXPECT_TRUE(assigned.IsLoaded());
    EXPECT_FALSE(moved.IsLoaded());
    assigned.Release();
    EXPECT_FALSE(assigned.IsLoaded());
    assigned.Release();  // twice is harmless
}
