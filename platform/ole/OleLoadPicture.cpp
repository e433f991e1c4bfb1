// OleLoadPicture: the bytes from the stream, told apart by their first bytes
// (JPEG's start-of-image marker, a bitmap's "BM") and decoded into a picture
// object.
#include "platform/imaging/BmpDecoder.h"
#include "platform/imaging/JpegDecoder.h"
#include "platform/kernel32/WinError.h"
#include "platform/ole/Picture.h"
#include "platform/ole/PictureObject.h"

#include <algorithm>
#include <cstddef>
#include <new>
#include <vector>

namespace {

// More than any picture the program shows; a stream read "to the end" stops here.
constexpr std::size_t kMaxPictureBytes = 256u * 1024 * 1024;
constexpr ULONG kReadPiece = 64 * 1024;

// Reads exactly lSize bytes, or (lSize 0) until the stream ends. A stream
// that ends before lSize bytes gives CTL_E_INVALIDPICTURE, as its data
// cannot be a whole picture.
HRESULT ReadPictureBytes(IStream* stream, LONG lSize, std::vector<BYTE>& bytes)
{
    const std::size_t want = lSize > 0 ? static_cast<std::size_t>(lSize) : kMaxPictureBytes + 1;
    bytes.clear();
    while (bytes.size() < want) {
        const ULONG piece = static_cast<ULONG>(std::min<std::size_t>(kReadPiece, want - bytes.size()));
        const std::size_t at = bytes.size();
        bytes.resize(at + piece);
        ULONG got = 0;
        const HRESULT hr = stream->Read(bytes.data() + at, piece, &got);
        if (FAILED(hr))
            return hr;
        bytes.resize(at + std::min(got, piece));
        if (got < piece)
            break;
    }
    if (lSize > 0 && bytes.size() != want)
        return CTL_E_INVALIDPICTURE;
    if (bytes.size() > kMaxPictureBytes)
        return E_OUTOFMEMORY;
    return S_OK;
}

}  // namespace

HRESULT OleLoadPicture(LPSTREAM lpstream, LONG lSize, BOOL /*fRunmode*/, REFIID riid, void** lplpvObj)
{
    if (lplpvObj == nullptr)
        return E_POINTER;
    *lplpvObj = nullptr;
    if (lpstream == nullptr)
        return E_POINTER;
    if (lSize < 0)
        return E_INVALIDARG;
    if (!(riid == IID_IPicture || riid == IID_IUnknown))
        return E_NOINTERFACE;

    std::vector<BYTE> bytes;
    try {
        const HRESULT hr = ReadPictureBytes(lpstream, lSize, bytes);
        if (FAILED(hr))
            return hr;
        platform::DecodedImage image;
        const bool decoded = platform::JpegDecoder::LooksLikeJpeg(bytes.data(), bytes.size())
                                 ? platform::JpegDecoder::Decode(bytes.data(), bytes.size(), image)
                                 : platform::BmpDecoder::Decode(bytes.data(), bytes.size(), image);
        if (!decoded)
            return CTL_E_INVALIDPICTURE;
        // IPicture is the object's only interface besides IUnknown, and both
        // are the same pointer.
        *lplpvObj = static_cast<IPicture*>(new platform::PictureObject(std::move(image)));
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
