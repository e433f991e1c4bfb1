// OleLoadPicture on arbitrary bytes through a global memory stream: JPEG
// (libjpeg behind its error manager) and bitmaps. A picture or
// CTL_E_INVALIDPICTURE, never a crash, and a picture renders.
// fuzz-layers: platform
#include "platform/ole/Picture.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

class NullContext : public platform::DeviceContext {
public:
    int Caps(int) const override { return 96; }
    void DrawImage(const platform::PixelImage& image, int, int, int, int, int, int, int, int) override
    {
        if (image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
            std::abort();
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, size);
    if (h == nullptr)
        return 0;
    if (size != 0) {
        std::memcpy(GlobalLock(h), data, size);
        GlobalUnlock(h);
    }
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(h, TRUE, &stream))) {
        GlobalFree(h);
        return 0;
    }
    void* p = nullptr;
    const HRESULT hr = OleLoadPicture(stream, 0, FALSE, IID_IPicture, &p);
    stream->Release();
    if (hr == S_OK) {
        auto* picture = static_cast<IPicture*>(p);
        OLE_XSIZE_HIMETRIC w = 0;
        OLE_YSIZE_HIMETRIC hh = 0;
        picture->get_Width(&w);
        picture->get_Height(&hh);
        if (w < 1 || hh < 1)
            std::abort();
        NullContext dc;
        picture->Render(&dc, 0, 0, 32, 32, 0, hh, w, -hh, nullptr);
        picture->Release();
    } else if (hr != CTL_E_INVALIDPICTURE) {
        std::abort();
    }
    return 0;
}
