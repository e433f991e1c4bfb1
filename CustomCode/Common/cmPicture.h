// cmPicture: holds one picture (a JPEG or bitmap) loaded from the program's
// "JPG" resources or from a file, measures it in a device context's pixels
// and draws it. The picture is an IPicture from OleLoadPicture; the holder
// owns one reference, given up when another picture replaces it or the
// holder goes.
#pragma once

#include "platform/gdi32/DeviceContext.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"
#include "platform/ole/Picture.h"

class cmPicture {
public:
    cmPicture() = default;
    cmPicture(const cmPicture&) = delete;
    cmPicture& operator=(const cmPicture&) = delete;
    cmPicture(cmPicture&& other) noexcept;
    cmPicture& operator=(cmPicture&& other) noexcept;
    ~cmPicture();

    // The "JPG" resource nResourceId in exactly that language of the
    // program's module. E_FAIL when there is none, E_INVALIDARG when it is
    // empty, E_OUTOFMEMORY without memory for its copy; otherwise the stream's
    // or OleLoadPicture's code (CTL_E_INVALIDPICTURE for data that does not
    // decode). Before the decode a failure keeps the old picture; a failed
    // decode leaves none.
    HRESULT Load(UINT nResourceId, WORD wLanguage);
    // The whole file at szPath: E_FAIL when it cannot be opened, sized or
    // read, E_OUTOFMEMORY when it does not fit in memory; otherwise as above.
    HRESULT Load(LPCSTR szPath);

    // The picture's size in hdc's pixels (its HIMETRIC size at the context's
    // dots per inch). E_FAIL without a picture.
    HRESULT GetWidthInPixels(HDC hdc, int& cx);
    HRESULT GetHeightInPixels(HDC hdc, int& cy);

    // Draws the whole picture, upright, scaled into (x, y, cx, cy).
    HRESULT Draw(HDC hdc, int x, int y, int cx, int cy);

    bool IsLoaded() const { return m_pPicture != nullptr; }
    // Gives up the picture.
    void Release();

private:
    // Decodes the bytes of hGlobal (cb of them) into the holder, which owns
    // the block from here on.
    HRESULT LoadFromBlock(HGLOBAL hGlobal, DWORD cb);

    IPicture* m_pPicture = nullptr;
};
