// Pictures through OLE's shapes: movable global memory blocks, a stream over
// such a block, and OleLoadPicture, which decodes JPEG (libjpeg) and bitmap
// (.bmp) data into a picture object with a size in HIMETRIC units
// (hundredths of a millimetre) taken from the image's resolution, 96 dots per
// inch when the data names none. The picture renders into a device context
// (platform/gdi32/DeviceContext.h).
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/GlobalMemory.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/ole/Unknown.h"

#include <cstddef>

// A readable, writable and seekable stream.
constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009);
constexpr HRESULT STG_E_SEEKERROR = static_cast<HRESULT>(0x80030019);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070);
constexpr DWORD STREAM_SEEK_SET = 0;
constexpr DWORD STREAM_SEEK_CUR = 1;
constexpr DWORD STREAM_SEEK_END = 2;
// {0000000C-0000-0000-C000-000000000046}
constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
struct IStream : ISequentialStream {
    virtual HRESULT Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition) = 0;

protected:
    ~IStream() = default;
};
using LPSTREAM = IStream*;

// A stream over hGlobal's bytes (its whole size); with fDeleteOnRelease the
// block is freed when the stream goes. A null hGlobal makes a new block,
// which the stream always frees (nothing else can reach it). E_INVALIDARG for
// a handle that is not a live block.
// As the Windows stream does: Read gives S_OK also when it reads fewer bytes
// than asked (none past the end); Write past the end grows the block (a gap
// reads as zeros); Seek may go past the end but not before the start
// (STG_E_SEEKERROR, also for an unknown origin or a position beyond 32 bits).
HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm);

using OLE_XPOS_HIMETRIC = LONG;
using OLE_YPOS_HIMETRIC = LONG;
using OLE_XSIZE_HIMETRIC = LONG;
using OLE_YSIZE_HIMETRIC = LONG;

// {7BF80980-BF32-101A-8BBB-00AA00300CAB}
constexpr IID IID_IPicture = {0x7BF80980, 0xBF32, 0x101A, {0x8B, 0xBB, 0x00, 0xAA, 0x00, 0x30, 0x0C, 0xAB}};
struct IPicture : IUnknown {
    virtual HRESULT get_Width(OLE_XSIZE_HIMETRIC* pWidth) = 0;
    virtual HRESULT get_Height(OLE_YSIZE_HIMETRIC* pHeight) = 0;
    // Draws the source rectangle (xSrc, ySrc, cxSrc, cySrc, in HIMETRIC with
    // the origin at the bottom left, so cySrc is negative for an upright
    // picture) into (x, y, cx, cy) of hdc.
    virtual HRESULT Render(HDC hdc, LONG x, LONG y, LONG cx, LONG cy, OLE_XPOS_HIMETRIC xSrc, OLE_YPOS_HIMETRIC ySrc,
                           OLE_XSIZE_HIMETRIC cxSrc, OLE_YSIZE_HIMETRIC cySrc, LPCRECT pRcWBounds) = 0;

protected:
    ~IPicture() = default;
};
using LPPICTURE = IPicture*;

// Reads lSize bytes (0: the rest of the stream) and decodes them.
// CTL_E_INVALIDPICTURE for data that is neither JPEG nor bitmap or does not
// decode; E_NOINTERFACE for an interface other than IPicture or IUnknown.
// Data that ends early (a stream shorter than lSize, a JPEG without its end
// marker, a bitmap without all its rows) does not decode, and neither does
// an image wider or higher than 16384 pixels or above 64 Mi pixels.
// Bitmaps (platform/imaging/DibReader.h): Windows and OS/2 headers;
// uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel in either row order;
// bit-field masks of 16 and 32 bits, alpha too in the 56-byte, V4 and V5 headers;
// RLE8 and RLE4, whose stream must reach its end code or its last row.
constexpr HRESULT CTL_E_INVALIDPICTURE = static_cast<HRESULT>(0x800A01E1);
// Render with an empty destination or source rectangle.
constexpr HRESULT CTL_E_INVALIDPROPERTYVALUE = static_cast<HRESULT>(0x800A017C);
HRESULT OleLoadPicture(LPSTREAM lpstream, LONG lSize, BOOL fRunmode, REFIID riid, void** lplpvObj);
