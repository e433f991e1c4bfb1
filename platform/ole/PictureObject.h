// The picture object OleLoadPicture gives: a decoded image with its size in
// HIMETRIC units, reference counted, drawn through a device context.
#pragma once

#include "platform/imaging/DecodedImage.h"
#include "platform/ole/Picture.h"

#include <atomic>

namespace platform {

// Where a HIMETRIC source rectangle falls in the image's pixels: the part
// (x, y, w, h) with y counted from the top row; negative w or h mirror.
struct PixelRect {
    int x;
    int y;
    int w;
    int h;
};

// The HIMETRIC rectangle (xSrc, ySrc, cxSrc, cySrc), origin at the bottom
// left, of an image of width × height pixels that measures hmWidth ×
// hmHeight. An upright source (ySrc at the top, cySrc negative) gives
// positive h.
PixelRect SourcePixels(int width, int height, LONG hmWidth, LONG hmHeight, LONG xSrc, LONG ySrc, LONG cxSrc,
                       LONG cySrc);

class PictureObject final : public IPicture {
public:
    // Starts with one reference.
    explicit PictureObject(DecodedImage image);
    PictureObject(const PictureObject&) = delete;
    PictureObject& operator=(const PictureObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT get_Width(OLE_XSIZE_HIMETRIC* pWidth) override;
    HRESULT get_Height(OLE_YSIZE_HIMETRIC* pHeight) override;
    // Draws the source rectangle, in pixels of the image, scaled into
    // (x, y, cx, cy). pRcWBounds is only for metafiles and is not used.
    // E_INVALIDARG without a context, CTL_E_INVALIDPROPERTYVALUE for an
    // empty destination or source.
    HRESULT Render(HDC hdc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc,
                   OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, LPCRECT pRcWBounds) override;

private:
    ~PictureObject() = default;

    std::atomic<ULONG> m_refs{1};
    PixelImage m_image;
    LONG m_hmWidth;
    LONG m_hmHeight;
};

}  // namespace platform
