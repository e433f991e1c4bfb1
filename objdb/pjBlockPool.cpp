#include "objdb/pjBlockPool.h"

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kAlign = alignof(std::max_align_t);

std::size_t Rounded(std::size_t cb)
{
    const std::size_t at_least = cb < sizeof(void*) ? sizeof(void*) : cb;
    return (at_least + kAlign - 1) / kAlign * kAlign;
}

}  // namespace

pjBlockPool::pjBlockPool(std::size_t cbBlock, std::size_t nPerChunk)
    : m_cbBlock(Rounded(cbBlock)), m_nPerChunk(nPerChunk == 0 ? 1 : nPerChunk)
{
}

pjBlockPool::~pjBlockPool()
{
    for (void* chunk : m_chunks)
        std::free(chunk);
}

bool pjBlockPool::Grow()
{
    auto* chunk = static_cast<unsigned char*>(std::malloc(m_cbBlock * m_nPerChunk));
    if (chunk == nullptr)
        return false;
    try {
        m_chunks.push_back(chunk);
    } catch (const std::bad_alloc&) {
        std::free(chunk);
        return false;
    }
    // Threaded so that the chunk's first block is handed out first.
    for (std::size_t i = m_nPerChunk; i-- > 0;) {
        auto* b = reinterpret_cast<FreeBlock*>(chunk + i * m_cbBlock);
        b->pNext = m_pFree;
        m_pFree = b;
    }
    return true;
}

void* pjBlockPool::Allocate()
{
    cmSpinGuardScope g(m_guard);
    if (m_pFree == nullptr && !Grow())
        return nullptr;
    FreeBlock* b = m_pFree;
    m_pFree = b->pNext;
    ++m_nInUse;
    return b;
}

void pjBlockPool::Free(void* p)
{
    if (p == nullptr)
        return;
    auto* b = static_cast<FreeBlock*>(p);
    cmSpinGuardScope g(m_guard);
    b->pNext = m_pFree;
    m_pFree = b;
    --m_nInUse;
}

std::size_t pjBlockPool::InUse()
{
    cmSpinGuardScope g(m_guard);
    return m_nInUse;
}
