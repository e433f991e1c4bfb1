#include "platform/ole/PictureObject.h"

#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace platform {

namespace {

// v × num / den rounded half away from zero, kept within int; den > 0.
int Scale(std::int64_t v, std::int64_t num, std::int64_t den)
{
    const __int128 p = static_cast<__int128>(v) * num;
    const __int128 q = p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den);
    const __int128 lo = std::numeric_limits<int>::min(), hi = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(q, lo, hi));
}

}  // namespace

PixelRect SourcePixels(int width, int height, LONG hmWidth, LONG hmHeight, LONG xSrc, LONG ySrc, LONG cxSrc,
                       LONG cySrc)
{
    // HIMETRIC y grows upwards from the bottom edge, pixel rows downwards
    // from the top: the HIMETRIC line ySrc is pixel row
    // (hmHeight - ySrc) × height / hmHeight, and going cySrc up is going
    // -cySrc rows down.
    PixelRect r;
    hmWidth = std::max<LONG>(hmWidth, 1);
    hmHeight = std::max<LONG>(hmHeight, 1);
    r.x = Scale(xSrc, width, hmWidth);
    r.w = Scale(cxSrc, width, hmWidth);
    r.y = Scale(static_cast<std::int64_t>(hmHeight) - ySrc, height, hmHeight);
    r.h = Scale(-static_cast<std::int64_t>(cySrc), height, hmHeight);
    return r;
}

PictureObject::PictureObject(DecodedImage image)
    : m_image(std::move(image.image)),
      m_hmWidth(HimetricFromPixels(m_image.width, image.x)),
      m_hmHeight(HimetricFromPixels(m_image.height, image.y))
{
}

HRESULT PictureObject::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IPicture) {
        *ppvObject = static_cast<IPicture*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG PictureObject::AddRef() { return ++m_refs; }

ULONG PictureObject::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT PictureObject::get_Width(OLE_XSIZE_HIMETRIC* pWidth)
{
    if (pWidth == nullptr)
        return E_POINTER;
    *pWidth = m_hmWidth;
    return S_OK;
}

HRESULT PictureObject::get_Height(OLE_YSIZE_HIMETRIC* pHeight)
{
    if (pHeight == nullptr)
        return E_POINTER;
    *pHeight = m_hmHeight;
    return S_OK;
}

HRESULT PictureObject::Render(HDC hdc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc,
                              OLE_YPOS_HIMETRIC ySrc, OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc,
                              LPCRECT /*pRcWBounds*/)
{
    if (hdc == nullptr)
        return E_INVALIDARG;
    if (cx == 0 || cy == 0 || cxSrc == 0 || cySrc == 0)
        return CTL_E_INVALIDPROPERTYVALUE;
    const PixelRect src = SourcePixels(m_image.width, m_image.height, m_hmWidth, m_hmHeight, xSrc, ySrc, cxSrc, cySrc);
    hdc->DrawImage(m_image, x, y, cx, cy, src.x, src.y, src.w, src.h);
    return S_OK;
}

}  // namespace platform
