// pjBlockPool: a pool of equal-sized memory blocks for any number of
// threads. Blocks come from chunks that the pool keeps for its whole life;
// a freed block goes back to the pool's free list, not to the system. The
// guard is held only to take or return a block.
#pragma once

#include "CustomCode/Common/cmSpinGuard.h"

#include <cstddef>
#include <vector>

class pjBlockPool {
public:
    // Blocks of cbBlock bytes (rounded up to the alignment of any object),
    // nPerChunk of them to a chunk.
    pjBlockPool(std::size_t cbBlock, std::size_t nPerChunk);
    pjBlockPool(const pjBlockPool&) = delete;
    pjBlockPool& operator=(const pjBlockPool&) = delete;
    ~pjBlockPool();

    // A block, or null when no chunk can be had.
    void* Allocate();
    void Free(void* p);

    std::size_t BlockSize() const { return m_cbBlock; }
    // Blocks handed out and not yet returned.
    std::size_t InUse();

private:
    struct FreeBlock {
        FreeBlock* pNext;
    };
    bool Grow();

    const std::size_t m_cbBlock;
    const std::size_t m_nPerChunk;
    cmSpinGuard m_guard;
    FreeBlock* m_pFree = nullptr;
    std::vector<void*> m_chunks;
    std::size_t m_nInUse = 0;
};
