// The stream CreateStreamOnHGlobal makes: an IStream over a movable global
// memory block, reference counted, optionally owning the block.
#pragma once

#include "platform/ole/Picture.h"

#include <atomic>
#include <cstddef>
#include <mutex>

namespace platform {

class HGlobalStream final : public IStream {
public:
    // Starts with one reference, at position 0.
    HGlobalStream(HGLOBAL hGlobal, bool deleteOnRelease);
    HGlobalStream(const HGlobalStream&) = delete;
    HGlobalStream& operator=(const HGlobalStream&) = delete;

    HRESULT QueryInterface(REFIID riid, void** ppvObject) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override;
    HRESULT Write(const void* pv, ULONG cb, ULONG* pcbWritten) override;
    HRESULT Seek(LONGLONG dlibMove, DWORD dwOrigin, ULONGLONG* plibNewPosition) override;

private:
    ~HGlobalStream();

    HGLOBAL m_hGlobal;
    bool m_deleteOnRelease;
    std::atomic<ULONG> m_refs{1};
    std::mutex m_lock;  // the position and the block's size change together
    std::size_t m_position = 0;
};

}  // namespace platform
