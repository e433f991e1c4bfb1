#include "platform/ole/HGlobalStream.h"

#include "platform/kernel32/GlobalMemory.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cstring>

namespace platform {

namespace {

// Locks a block for the length of one stream operation.
class BlockLock {
public:
    explicit BlockLock(HGLOBAL h) : m_h(h), m_data(static_cast<BYTE*>(GlobalLock(h))) {}
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;
    ~BlockLock()
    {
        if (m_data != nullptr)
            GlobalUnlock(m_h);
    }
    BYTE* Data() const { return m_data; }

private:
    HGLOBAL m_h;
    BYTE* m_data;
};

}  // namespace

HGlobalStream::HGlobalStream(HGLOBAL hGlobal, bool deleteOnRelease)
    : m_hGlobal(hGlobal), m_deleteOnRelease(deleteOnRelease)
{
}

HGlobalStream::~HGlobalStream()
{
    if (m_deleteOnRelease)
        GlobalFree(m_hGlobal);
}

HRESULT HGlobalStream::QueryInterface(REFIID riid, void** ppvObject)
{
    if (ppvObject == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ISequentialStream || riid == IID_IStream) {
        *ppvObject = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    *ppvObject = nullptr;
    return E_NOINTERFACE;
}

ULONG HGlobalStream::AddRef() { return ++m_refs; }

ULONG HGlobalStream::Release()
{
    const ULONG left = --m_refs;
    if (left == 0)
        delete this;
    return left;
}

HRESULT HGlobalStream::Read(void* pv, ULONG cb, ULONG* pcbRead)
{
    if (pcbRead != nullptr)
        *pcbRead = 0;
    if (pv == nullptr)
        return STG_E_INVALIDPOINTER;
    std::lock_guard<std::mutex> guard(m_lock);
    const std::size_t size = GlobalSize(m_hGlobal);
    const std::size_t n = m_position >= size ? 0 : std::min<std::size_t>(cb, size - m_position);
    if (n != 0) {
        BlockLock block(m_hGlobal);
        if (block.Data() == nullptr)
            return E_HANDLE;
        std::memcpy(pv, block.Data() + m_position, n);
        m_position += n;
    }
    if (pcbRead != nullptr)
        *pcbRead = static_cast<ULONG>(n);
    return S_OK;
}

HRESULT HGlobalStream::Write(const void* pv, ULONG cb, ULONG* pcbWritten)
{
    if (pcbWritten != nullptr)
        *pcbWritten = 0;
    if (pv == nullptr)
        return STG_E_INVALIDPOINTER;
    if (cb == 0)
        return S_OK;
    std::lock_guard<std::mutex> guard(m_lock);
    const std::size_t end = m_position + cb;
    if (end > kMaxGlobalBlock)
        return STG_E_MEDIUMFULL;
    if (end > GlobalSize(m_hGlobal) && !GlobalResize(m_hGlobal, end))
        return STG_E_MEDIUMFULL;
    BlockLock block(m_hGlobal);
    if (block.Data() == nullptr)
        return E_HANDLE;
    std::memcpy(block.Data() + m_position, pv, cb);
    m_position = end;
    if (pcbWritten != nullptr)
        *pcbWritten = cb;
    return S_OK;
}

HRESULT HGlobalStream::Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition)
{
    std::lock_guard<std::mutex> guard(m_lock);
    LONGLONG base = 0;
    switch (dwOrigin) {
    case STREAM_SEEK_SET: base = 0; break;
    case STREAM_SEEK_CUR: base = static_cast<LONGLONG>(m_position); break;
    case STREAM_SEEK_END: base = static_cast<LONGLONG>(GlobalSize(m_hGlobal)); break;
    default: return STG_E_SEEKERROR;
    }
    // Both terms are within ±2^63 of zero only when the move is; compare
    // before adding so that no sum overflows.
    if (dlibMove < -base || dlibMove > static_cast<LONGLONG>(kMaxGlobalBlock) - base)
        return STG_E_SEEKERROR;
    m_position = static_cast<std::size_t>(base + dlibMove);
    if (plibNewPosition != nullptr)
        *plibNewPosition = m_position;
    return S_OK;
}

}  // namespace platform

HRESULT CreateStreamOnHGlobal(HGLOBAL hGlobal, BOOL fDeleteOnRelease, LPSTREAM* ppstm)
{
    if (ppstm == nullptr)
        return E_INVALIDARG;
    *ppstm = nullptr;
    bool owned = fDeleteOnRelease != FALSE;
    if (hGlobal == nullptr) {
        hGlobal = GlobalAlloc(GMEM_MOVEABLE, 0);
        if (hGlobal == nullptr)
            return E_OUTOFMEMORY;
        owned = true;  // nothing else can reach this block to free it
    } else if (!platform::IsGlobalBlock(hGlobal)) {
        return E_INVALIDARG;
    }
    *ppstm = new platform::HGlobalStream(hGlobal, owned);
    return S_OK;
}
