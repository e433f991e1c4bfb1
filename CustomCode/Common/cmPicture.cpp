#include "CustomCode/Common/cmPicture.h"

#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmDebugSupport.h"
#include "CustomCode/Common/cmWindow.h"
#include "platform/kernel32/FileApi.h"
#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/MulDiv.h"
#include "platform/kernel32/Resources.h"

#include <cstring>
#include <limits>
#include <utility>

namespace {

// A global memory block freed unless handed on.
class OwnedBlock {
public:
    explicit OwnedBlock(HGLOBAL h) : m_h(h) {}
    OwnedBlock(const OwnedBlock&) = delete;
    OwnedBlock& operator=(const OwnedBlock&) = delete;
    ~OwnedBlock()
    {
        if (m_h != nullptr)
            GlobalFree(m_h);
    }
    HGLOBAL Get() const { return m_h; }
    HGLOBAL Detach() { return std::exchange(m_h, nullptr); }

private:
    HGLOBAL m_h;
};

// An open file, closed when it goes.
class OpenFile {
public:
    explicit OpenFile(HANDLE h) : m_h(h) {}
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;
    ~OpenFile()
    {
        if (m_h != INVALID_HANDLE_VALUE)
            CloseHandle(m_h);
    }
    HANDLE Get() const { return m_h; }

private:
    HANDLE m_h;
};

// The bytes of a block, locked while the object lives.
class BlockBytes {
public:
    explicit BlockBytes(HGLOBAL h) : m_h(h), m_p(GlobalLock(h)) {}
    BlockBytes(const BlockBytes&) = delete;
    BlockBytes& operator=(const BlockBytes&) = delete;
    ~BlockBytes()
    {
        if (m_p != nullptr)
            GlobalUnlock(m_h);
    }
    void* Get() const { return m_p; }

private:
    HGLOBAL m_h;
    void* m_p;
};

// The largest picture file that is read: far more than a dialog's picture
// needs, and a huge or sparse file is refused before anything is read.
constexpr DWORD kMaxPictureSize = 64u << 20;

// The whole file into a new block (the file is closed again on return).
// E_FAIL when it cannot be opened, sized or read; E_OUTOFMEMORY when it is
// too big for a picture or the memory is not there.
HRESULT ReadWholeFile(LPCSTR szPath, HGLOBAL& hGlobal, DWORD& cb)
{
    OpenFile file(CreateFileA(szPath, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Get() == INVALID_HANDLE_VALUE)
        return E_FAIL;
    DWORD high = 0;
    cb = GetFileSize(file.Get(), &high);
    if (cb == INVALID_FILE_SIZE && GetLastError() != ERROR_SUCCESS)
        return E_FAIL;
    if (high != 0 || cb > kMaxPictureSize)
        return E_OUTOFMEMORY;
    OwnedBlock block(GlobalAlloc(GMEM_MOVEABLE, cb));
    if (block.Get() == nullptr)
        return E_OUTOFMEMORY;
    if (cb != 0) {
        BlockBytes bytes(block.Get());
        if (bytes.Get() == nullptr)
            return E_OUTOFMEMORY;
        DWORD read = 0;
        if (!ReadFile(file.Get(), bytes.Get(), cb, &read, nullptr) || read != cb)
            return E_FAIL;
    }
    hGlobal = block.Detach();
    return S_OK;
}

}  // namespace

cmPicture::cmPicture(cmPicture&& other) noexcept : m_pPicture(std::exchange(other.m_pPicture, nullptr)) {}

cmPicture& cmPicture::operator=(cmPicture&& other) noexcept
{
    if (this != &other) {
        Release();
        m_pPicture = std::exchange(other.m_pPicture, nullptr);
    }
    return *this;
}

cmPicture::~cmPicture() { Release(); }

void cmPicture::Release()
{
    if (m_pPicture != nullptr)
        std::exchange(m_pPicture, nullptr)->Release();
}

HRESULT cmPicture::Load(UINT nResourceId, WORD wLanguage)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmPicture::Load(resource)");
    HMODULE hModule = cmGetOwnModule();
    HRSRC hRes = FindResourceExA(hModule, "JPG", MAKEINTRESOURCEA(nResourceId), wLanguage);
    if (hRes == nullptr) {
        CM_TRACE_WARNING("No JPG resource %u in language %u", nResourceId, static_cast<unsigned>(wLanguage));
        CM_TRACE_RETURN(E_FAIL);
    }
    const void* pData = LockResource(LoadResource(hModule, hRes));
    if (pData == nullptr)
        CM_TRACE_RETURN(E_FAIL);
    const DWORD cb = SizeofResource(hModule, hRes);
    if (cb == 0)
        CM_TRACE_RETURN(E_INVALIDARG);
    if (cb > kMaxPictureSize)
        CM_TRACE_RETURN(E_OUTOFMEMORY);

    OwnedBlock block(GlobalAlloc(GMEM_MOVEABLE, cb));
    if (block.Get() == nullptr)
        CM_TRACE_RETURN(E_OUTOFMEMORY);
    {
        BlockBytes bytes(block.Get());
        if (bytes.Get() == nullptr)
            CM_TRACE_RETURN(E_OUTOFMEMORY);
        std::memcpy(bytes.Get(), pData, cb);
    }
    CM_TRACE_RETURN(LoadFromBlock(block.Detach(), cb));
}

HRESULT cmPicture::Load(LPCSTR szPath)
{
    CM_TRACE_FUNCTION(CM_DEBUG_ID_CMLIB, "cmPicture::Load(file)");
    if (szPath == nullptr)
        CM_TRACE_RETURN(E_FAIL);
    DWORD cb = 0;
    HGLOBAL hGlobal = nullptr;
    const HRESULT hr = ReadWholeFile(szPath, hGlobal, cb);
    if (FAILED(hr)) {
        CM_TRACE_WARNING("Cannot read %s (0x%x)", szPath, static_cast<unsigned>(hr));
        CM_TRACE_RETURN(hr);
    }
    CM_TRACE_RETURN(LoadFromBlock(hGlobal, cb));
}

HRESULT cmPicture::LoadFromBlock(HGLOBAL hGlobal, DWORD cb)
{
    IStream* pStream = nullptr;
    const HRESULT hrStream = CreateStreamOnHGlobal(hGlobal, TRUE, &pStream);
    if (FAILED(hrStream)) {
        GlobalFree(hGlobal);
        return hrStream;
    }
    // From here the old picture goes, whether the new one decodes or not.
    Release();
    void* pObject = nullptr;
    const HRESULT hr = OleLoadPicture(pStream, static_cast<LONG>(cb), FALSE, IID_IPicture, &pObject);
    pStream->Release();
    if (SUCCEEDED(hr))
        m_pPicture = static_cast<IPicture*>(pObject);
    return hr;
}

HRESULT cmPicture::GetWidthInPixels(HDC hdc, int& cx)
{
    if (m_pPicture == nullptr)
        return E_FAIL;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    const HRESULT hr = m_pPicture->get_Width(&hmWidth);
    if (FAILED(hr))
        return hr;
    cx = MulDiv(hmWidth, GetDeviceCaps(hdc, LOGPIXELSX), 2540);
    return S_OK;
}

HRESULT cmPicture::GetHeightInPixels(HDC hdc, int& cy)
{
    if (m_pPicture == nullptr)
        return E_FAIL;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    const HRESULT hr = m_pPicture->get_Height(&hmHeight);
    if (FAILED(hr))
        return hr;
    cy = MulDiv(hmHeight, GetDeviceCaps(hdc, LOGPIXELSY), 2540);
    return S_OK;
}

HRESULT cmPicture::Draw(HDC hdc, int x, int y, int cx, int cy)
{
    if (m_pPicture == nullptr)
        return E_FAIL;
    OLE_XSIZE_HIMETRIC hmWidth = 0;
    OLE_YSIZE_HIMETRIC hmHeight = 0;
    HRESULT hr = m_pPicture->get_Width(&hmWidth);
    if (SUCCEEDED(hr))
        hr = m_pPicture->get_Height(&hmHeight);
    if (FAILED(hr))
        return hr;
    const RECT bounds = {x, y, x + cx, y + cy};
    // The source starts at the top edge (hmHeight) and goes down: upright.
    return m_pPicture->Render(hdc, x, y, cx, cy, 0, hmHeight, hmWidth, -hmHeight, &bounds);
}
