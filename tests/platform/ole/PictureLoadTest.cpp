// OleLoadPicture and the picture object: sizes in HIMETRIC from the image's
// resolution, decoded pixels, how Render maps its source rectangle, what the
// stream and the size argument mean, and damaged data.
#include "platform/imaging/DecodedImage.h"
#include "platform/kernel32/WinError.h"
#include "platform/ole/Picture.h"
#include "platform/ole/PictureObject.h"
#include "platform/user32/Icon.h"
#include "tests/support/ImageBytes.h"
#include "tests/support/RecordingDeviceContext.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>

using testsupport::Bytes;

namespace {

// A stream over a copy of the bytes (freed with the stream).
IStream* StreamOver(const Bytes& bytes)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (h == nullptr)
        return nullptr;
    if (!bytes.empty()) {
        std::memcpy(GlobalLock(h), bytes.data(), bytes.size());
        GlobalUnlock(h);
    }
    IStream* s = nullptr;
    CreateStreamOnHGlobal(h, TRUE, &s);
    return s;
}

// Loads a picture from the bytes; the result code, and the picture on success.
HRESULT Load(const Bytes& bytes, IPicture*& picture, LONG lSize = 0)
{
    picture = nullptr;
    IStream* s = StreamOver(bytes);
    if (s == nullptr)
        return E_OUTOFMEMORY;
    void* p = nullptr;
    const HRESULT hr = OleLoadPicture(s, lSize, FALSE, IID_IPicture, &p);
    s->Release();
    picture = static_cast<IPicture*>(p);
    return hr;
}

struct Size {
    LONG cx;
    LONG cy;
    bool operator==(const Size&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Size& s) { return os << s.cx << " x " << s.cy; }

Size HimetricSize(const Bytes& bytes)
{
    IPicture* picture = nullptr;
    if (Load(bytes, picture) != S_OK)
        return {-1, -1};
    Size s{};
    picture->get_Width(&s.cx);
    picture->get_Height(&s.cy);
    picture->Release();
    return s;
}

// The JPEG's bytes without its JFIF segment (FF E0 and its 16-byte body).
Bytes WithoutJfif(const Bytes& jpeg)
{
    Bytes out(jpeg.begin(), jpeg.begin() + 2);
    out.insert(out.end(), jpeg.begin() + 2 + 2 + 16, jpeg.end());
    return out;
}

// The JPEG with the frame's size set (after the first SOF0 marker).
Bytes WithFrameSize(Bytes jpeg, std::uint16_t width, std::uint16_t height)
{
    for (std::size_t i = 2; i + 9 < jpeg.size(); ++i)
        if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
            jpeg[i + 5] = static_cast<std::uint8_t>(height >> 8);
            jpeg[i + 6] = static_cast<std::uint8_t>(height);
            jpeg[i + 7] = static_cast<std::uint8_t>(width >> 8);
            jpeg[i + 8] = static_cast<std::uint8_t>(width);
            return jpeg;
        }
    ADD_FAILURE() << "no SOF0 marker";
    return jpeg;
}

// Whether 0xAARRGGBB is close to the colour (JPEG is lossy).
bool Near(std::uint32_t pixel, std::uint32_t rgb)
{
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((pixel >> shift) & 0xFF) - static_cast<int>((rgb >> shift) & 0xFF)) > 24)
            return false;
    return (pixel >> 24) == 0xFF;
}

std::uint32_t At(const platform::PixelImage& image, int x, int y)
{
    return image.pixels.at(static_cast<std::size_t>(y) * image.width + x);
}

// Renders the whole picture as cmPicture draws it and gives the call.
testsupport::DrawCall RenderUpright(IPicture* picture, int x, int y, int cx, int cy)
{
    testsupport::RecordingDeviceContext dc;
    LONG w = 0, h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    const RECT bounds = {x, y, x + cx, y + cy};
    EXPECT_EQ(S_OK, picture->Render(&dc, x, y, cx, cy, 0, h, w, -h, &bounds));
    if (dc.Calls().size() != 1) {
        ADD_FAILURE() << dc.Calls().size() << " draw calls";
        return {};
    }
    return dc.Calls()[0];
}

}  // namespace

TEST(PictureLoadTest, JpegSizeFollowsTheJfifDensity)
{
    const Bytes photo = testsupport::TestPhoto();  // 96 × 48 pixels
    ASSERT_GT(photo.size(), 20u);
    EXPECT_EQ((Size{2540, 1270}), HimetricSize(testsupport::WithJfifDensity(photo, 1, 96, 96)));
    EXPECT_EQ((Size{3387, 1693}), HimetricSize(testsupport::WithJfifDensity(photo, 1, 72, 72)));
    EXPECT_EQ((Size{813, 406}), HimetricSize(testsupport::WithJfifDensity(photo, 1, 300, 300)));
    // Dots per centimetre: 96 px at 38 dots/cm is 25.26 mm.
    EXPECT_EQ((Size{2526, 1263}), HimetricSize(testsupport::WithJfifDensity(photo, 2, 38, 38)));
    // Each direction on its own.
    EXPECT_EQ((Size{2540, 2540}), HimetricSize(testsupport::WithJfifDensity(photo, 1, 96, 48)));
}

TEST(PictureLoadTest, JpegWithoutDensityIsNinetySixDpi)
{
    const Bytes photo = testsupport::TestPhoto();
    // Unit 0 is only an aspect ratio.
    EXPECT_EQ((Size{2540, 1270}), HimetricSize(testsupport::WithJfifDensity(photo, 0, 1, 1)));
    EXPECT_EQ((Size{2540, 1270}), HimetricSize(testsupport::WithJfifDensity(photo, 0, 72, 72)));
    EXPECT_EQ((Size{2540, 1270}), HimetricSize(testsupport::WithJfifDensity(photo, 1, 0, 0)));
    EXPECT_EQ((Size{2540, 1270}), HimetricSize(WithoutJfif(testsupport::WithJfifDensity(photo, 1, 300, 300))));
}

TEST(PictureLoadTest, JpegPixelsAreDecodedUpright)
{
    for (const char* file : {"tests/platform/resources/photo.jpg", "tests/platform/resources/photo-cmyk.jpg"}) {
        IPicture* picture = nullptr;
        ASSERT_EQ(S_OK, Load(testsupport::SourceFile(file), picture)) << file;
        const testsupport::DrawCall call = RenderUpright(picture, 0, 0, 96, 48);
        picture->Release();
        ASSERT_EQ(96, call.image.width);
        ASSERT_EQ(48, call.image.height);
        EXPECT_TRUE(Near(At(call.image, 5, 5), 0xFF0000)) << file << std::hex << " " << At(call.image, 5, 5);
        EXPECT_TRUE(Near(At(call.image, 90, 5), 0x0000FF)) << file << std::hex << " " << At(call.image, 90, 5);
        EXPECT_TRUE(Near(At(call.image, 40, 40), 0x00FF00)) << file << std::hex << " " << At(call.image, 40, 40);
    }
}

TEST(PictureLoadTest, BitmapSizeAndPixels)
{
    const std::vector<std::uint32_t> rgb = {0x102030, 0x405060, 0x708090, 0xA0B0C0};
    // 2835 pels per metre (72 dpi) across, none given down.
    const Bytes bmp = testsupport::BmpFile(testsupport::InfoHeader(2, 2, 24, 0, 2835, 0), {},
                                           testsupport::Rows24(2, 2, rgb, false));
    IPicture* picture = nullptr;
    ASSERT_EQ(S_OK, Load(bmp, picture));
    LONG w = 0, h = 0;
    picture->get_Width(&w);
    picture->get_Height(&h);
    EXPECT_EQ(71, w);  // 2 px at 72.009 dpi = 70.55
    EXPECT_EQ(53, h);  // 2 px at 96 dpi = 52.9
    const testsupport::DrawCall call = RenderUpright(picture, 0, 0, 2, 2);
    picture->Release();
    EXPECT_EQ((std::vector<std::uint32_t>{0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0}), call.image.pixels);
}

TEST(PictureLoadTest, RenderDrawsTheWholeImageIntoTheRectangle)
{
    IPicture* picture = nullptr;
    ASSERT_EQ(S_OK, Load(testsupport::TestPhoto(), picture));
    const testsupport::DrawCall call = RenderUpright(picture, 10, 20, 300, 150);
    EXPECT_EQ(10, call.x);
    EXPECT_EQ(20, call.y);
    EXPECT_EQ(300, call.w);
    EXPECT_EQ(150, call.h);
    EXPECT_EQ(0, call.sx);
    EXPECT_EQ(0, call.sy);
    EXPECT_EQ(96, call.sw);
    EXPECT_EQ(48, call.sh);
    picture->Release();
}

TEST(PictureLoadTest, RenderMapsPartsAndMirrors)
{
    IPicture* picture = nullptr;
    ASSERT_EQ(S_OK, Load(testsupport::TestPhoto(), picture));  // 2540 × 1270 HIMETRIC
    testsupport::RecordingDeviceContext dc;
    // The bottom right quarter: HIMETRIC x from 1270, y from 635 (the middle) down 635.
    ASSERT_EQ(S_OK, picture->Render(&dc, 0, 0, 48, 24, 1270, 635, 1270, -635, nullptr));
    // A positive cySrc starts at the bottom edge and goes up: upside down.
    ASSERT_EQ(S_OK, picture->Render(&dc, 0, 0, 96, 48, 0, 0, 2540, 1270, nullptr));
    ASSERT_EQ(2u, dc.Calls().size());
    const testsupport::DrawCall& quarter = dc.Calls()[0];
    EXPECT_EQ(48, quarter.sx);
    EXPECT_EQ(24, quarter.sy);
    EXPECT_EQ(48, quarter.sw);
    EXPECT_EQ(24, quarter.sh);
    const testsupport::DrawCall& flipped = dc.Calls()[1];
    EXPECT_EQ(0, flipped.sx);
    EXPECT_EQ(48, flipped.sy);
    EXPECT_EQ(96, flipped.sw);
    EXPECT_EQ(-48, flipped.sh);

    EXPECT_EQ(E_INVALIDARG, picture->Render(nullptr, 0, 0, 96, 48, 0, 1270, 2540, -1270, nullptr));
    EXPECT_EQ(CTL_E_INVALIDPROPERTYVALUE, picture->Render(&dc, 0, 0, 0, 48, 0, 1270, 2540, -1270, nullptr));
    EXPECT_EQ(CTL_E_INVALIDPROPERTYVALUE, picture->Render(&dc, 0, 0, 96, 48, 0, 1270, 2540, 0, nullptr));
    EXPECT_EQ(2u, dc.Calls().size());
    picture->Release();
}

TEST(PictureLoadTest, SourcePixelsRoundsAndStaysInRange)
{
    // 500 px at 96 dpi measure 13229 HIMETRIC; the whole of it is all 500.
    EXPECT_EQ(13229, platform::HimetricFromPixels(500, platform::Resolution{}));
    const platform::PixelRect all = platform::SourcePixels(500, 500, 13229, 13229, 0, 13229, 13229, -13229);
    EXPECT_EQ(0, all.x);
    EXPECT_EQ(0, all.y);
    EXPECT_EQ(500, all.w);
    EXPECT_EQ(500, all.h);
    // Extreme arguments clamp instead of overflowing.
    const platform::PixelRect far = platform::SourcePixels(10, 10, 1, 1, INT32_MAX, INT32_MIN, INT32_MAX, INT32_MIN);
    EXPECT_EQ(INT32_MAX, far.x);
    EXPECT_EQ(INT32_MAX, far.y);
    EXPECT_EQ(INT32_MAX, far.h);
    // A 1-pixel image at a very fine resolution still measures 1, never 0.
    EXPECT_EQ(1, platform::HimetricFromPixels(1, platform::Resolution{65535, 1}));
}

TEST(PictureLoadTest, SizeArgumentReadsThatManyBytes)
{
    const Bytes photo = testsupport::TestPhoto();
    Bytes padded = photo;
    padded.insert(padded.end(), {'t', 'a', 'i', 'l'});
    IStream* s = StreamOver(padded);
    ASSERT_NE(nullptr, s);
    void* p = nullptr;
    ASSERT_EQ(S_OK, OleLoadPicture(s, static_cast<LONG>(photo.size()), FALSE, IID_IPicture, &p));
    static_cast<IPicture*>(p)->Release();
    ULONGLONG pos = 0;
    s->Seek(0, STREAM_SEEK_CUR, &pos);
    EXPECT_EQ(photo.size(), pos);  // the tail is left for the caller
    // More than the stream holds.
    ASSERT_EQ(S_OK, s->Seek(0, STREAM_SEEK_SET, nullptr));
    EXPECT_EQ(CTL_E_INVALIDPICTURE, OleLoadPicture(s, static_cast<LONG>(padded.size()) + 1, FALSE, IID_IPicture, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_INVALIDARG, OleLoadPicture(s, -1, FALSE, IID_IPicture, &p));
    s->Release();

    // 0 reads from the stream's position to its end.
    Bytes prefixed = {'x', 'y'};
    prefixed.insert(prefixed.end(), photo.begin(), photo.end());
    s = StreamOver(prefixed);
    ASSERT_EQ(S_OK, s->Seek(2, STREAM_SEEK_SET, nullptr));
    ASSERT_EQ(S_OK, OleLoadPicture(s, 0, FALSE, IID_IPicture, &p));
    static_cast<IPicture*>(p)->Release();
    s->Release();
}

TEST(PictureLoadTest, InterfacesAndReferences)
{
    IStream* s = StreamOver(testsupport::TestPhoto());
    void* p = s;
    EXPECT_EQ(E_NOINTERFACE, OleLoadPicture(s, 0, FALSE, IID_IStream, &p));
    EXPECT_EQ(nullptr, p);
    EXPECT_EQ(E_POINTER, OleLoadPicture(s, 0, FALSE, IID_IPicture, nullptr));
    EXPECT_EQ(E_POINTER, OleLoadPicture(nullptr, 0, FALSE, IID_IPicture, &p));
    ASSERT_EQ(S_OK, OleLoadPicture(s, 0, FALSE, IID_IUnknown, &p));
    s->Release();
    auto* unknown = static_cast<IUnknown*>(p);
    void* q = nullptr;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IPicture, &q));
    EXPECT_EQ(p, q);
    EXPECT_EQ(E_NOINTERFACE, unknown->QueryInterface(IID_IStream, &q));
    EXPECT_EQ(nullptr, q);
    EXPECT_EQ(3u, unknown->AddRef());
    EXPECT_EQ(2u, unknown->Release());
    EXPECT_EQ(1u, unknown->Release());
    EXPECT_EQ(0u, unknown->Release());
}

TEST(PictureLoadTest, OtherDataIsNoPicture)
{
    IPicture* picture = nullptr;
    EXPECT_EQ(CTL_E_INVALIDPICTURE, Load({}, picture));
    EXPECT_EQ(CTL_E_INVALIDPICTURE, Load({'G', 'I', 'F', '8', '9', 'a'}, picture));
    EXPECT_EQ(CTL_E_INVALIDPICTURE, Load({0xFF, 0xD8, 0xFF, 0xE0, 0, 0}, picture));
    EXPECT_EQ(nullptr, picture);
}

TEST(PictureLoadTest, OversizedJpegIsRefused)
{
    IPicture* picture = nullptr;
    const Bytes photo = testsupport::TestPhoto();
    EXPECT_EQ(CTL_E_INVALIDPICTURE, Load(WithFrameSize(photo, 16385, 48), picture));
    EXPECT_EQ(CTL_E_INVALIDPICTURE, Load(WithFrameSize(photo, 9000, 9000), picture));  // 81 M pixels
    EXPECT_EQ(S_OK, Load(WithFrameSize(photo, 96, 48), picture));
    picture->Release();
}

TEST(PictureLoadTest, EveryShorterFileIsNoPicture)
{
    const Bytes files[] = {
        testsupport::TestPhoto(),
        testsupport::SourceFile("tests/platform/resources/photo-cmyk.jpg"),
        testsupport::BmpFile(testsupport::InfoHeader(3, 2, 24), {}, Bytes(12 * 2, 0x55)),
    };
    for (const Bytes& full : files) {
        IPicture* picture = nullptr;
        ASSERT_EQ(S_OK, Load(full, picture));
        picture->Release();
        for (std::size_t n = 0; n < full.size(); ++n) {
            const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
            EXPECT_EQ(CTL_E_INVALIDPICTURE, Load(cut, picture)) << n << " of " << full.size();
            EXPECT_EQ(nullptr, picture);
        }
    }
}

TEST(PictureLoadTest, CorruptJpegNeverEndsTheProcess)
{
    // Every byte of the photo's entropy-coded data and tables replaced in
    // turn: some still decode (JPEG hides many errors), none may crash.
    const Bytes photo = testsupport::TestPhoto();
    int decoded = 0;
    for (std::size_t i = 2; i < photo.size(); ++i) {
        Bytes bad = photo;
        bad[i] ^= 0xA5;
        IPicture* picture = nullptr;
        const HRESULT hr = Load(bad, picture);
        EXPECT_TRUE(hr == S_OK || hr == CTL_E_INVALIDPICTURE) << i;
        if (picture != nullptr) {
            ++decoded;
            picture->Release();
        }
    }
    EXPECT_LT(decoded, static_cast<int>(photo.size()));  // a damaged marker is refused
}

TEST(DeviceContextTest, CapsAndSystemMetrics)
{
    testsupport::RecordingDeviceContext dc(120, 144);
    EXPECT_EQ(120, GetDeviceCaps(&dc, LOGPIXELSX));
    EXPECT_EQ(144, GetDeviceCaps(&dc, LOGPIXELSY));
    EXPECT_EQ(0, GetDeviceCaps(&dc, 8));
    EXPECT_EQ(0, GetDeviceCaps(nullptr, LOGPIXELSX));
    EXPECT_EQ(32, GetSystemMetrics(SM_CXICON));
    EXPECT_EQ(32, GetSystemMetrics(SM_CYICON));
    EXPECT_EQ(0, GetSystemMetrics(0));
}
