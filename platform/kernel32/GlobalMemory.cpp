// Movable global memory blocks. A handle is the address of a Block that only
// this file knows; the table of live blocks lets every call refuse a handle
// it did not make (a freed one, a resource's data pointer) instead of
// touching memory it does not own.
#include "platform/kernel32/GlobalMemory.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <unordered_set>

namespace {

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};

struct Block {
    std::unique_ptr<BYTE, FreeDeleter> data;
    std::size_t size = 0;
    unsigned locks = 0;
};

class BlockTable {
public:
    HGLOBAL Add(std::unique_ptr<Block> block)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        Block* raw = block.release();
        m_blocks.insert(raw);
        return static_cast<HGLOBAL>(raw);
    }

    // Runs f(block) under the table's lock when h names a live block;
    // otherwise sets ERROR_INVALID_HANDLE and returns fallback.
    template <typename F, typename R>
    R With(HGLOBAL h, R fallback, F f)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_blocks.find(static_cast<Block*>(h));
        if (h == nullptr || it == m_blocks.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return fallback;
        }
        return f(**it);
    }

    bool Contains(HGLOBAL h)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return h != nullptr && m_blocks.count(static_cast<Block*>(h)) != 0;
    }

    bool Remove(HGLOBAL h)
    {
        std::unique_ptr<Block> gone;
        std::lock_guard<std::mutex> guard(m_lock);
        auto it = m_blocks.find(static_cast<Block*>(h));
        if (h == nullptr || it == m_blocks.end())
            return false;
        gone.reset(*it);
        m_blocks.erase(it);
        return true;
    }

private:
    std::mutex m_lock;
    std::unordered_set<Block*> m_blocks;
};

// Blocks live until GlobalFree; the table itself is never destroyed so that a
// block freed during static destruction still finds it.
BlockTable& Table()
{
    static BlockTable* table = new BlockTable;
    return *table;
}

// malloc(0) may give null; a zero-size block simply has no data.
bool Reallocate(Block& b, std::size_t cb)
{
    if (cb > platform::kMaxGlobalBlock)
        return false;
    if (cb == 0) {
        b.data.reset();
        b.size = 0;
        return true;
    }
    void* p = std::realloc(b.data.get(), cb);
    if (p == nullptr)
        return false;
    (void)b.data.release();
    b.data.reset(static_cast<BYTE*>(p));
    if (cb > b.size)
        std::memset(static_cast<BYTE*>(p) + b.size, 0, cb - b.size);
    b.size = cb;
    return true;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, std::size_t dwBytes)
{
    if ((uFlags & ~(GMEM_MOVEABLE | GMEM_ZEROINIT)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto block = std::make_unique<Block>();
    // New bytes are always zero, so GMEM_ZEROINIT needs nothing further.
    if (!Reallocate(*block, dwBytes)) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return Table().Add(std::move(block));
}

void* GlobalLock(HGLOBAL hMem)
{
    return Table().With(hMem, static_cast<void*>(nullptr), [](Block& b) -> void* {
        if (b.size == 0)
            return nullptr;  // as Windows does for a block without bytes
        ++b.locks;
        return b.data.get();
    });
}

BOOL GlobalUnlock(HGLOBAL hMem)
{
    return Table().With(hMem, static_cast<BOOL>(FALSE), [](Block& b) -> BOOL {
        if (b.locks == 0) {
            SetLastError(ERROR_NOT_LOCKED);
            return FALSE;
        }
        if (--b.locks == 0) {
            SetLastError(ERROR_SUCCESS);
            return FALSE;
        }
        return TRUE;
    });
}

std::size_t GlobalSize(HGLOBAL hMem)
{
    return Table().With(hMem, static_cast<std::size_t>(0), [](Block& b) {
        if (b.size == 0)
            SetLastError(ERROR_SUCCESS);
        return b.size;
    });
}

HGLOBAL GlobalFree(HGLOBAL hMem)
{
    if (!Table().Remove(hMem)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    return nullptr;
}

namespace platform {

bool GlobalResize(HGLOBAL hMem, std::size_t cb)
{
    return Table().With(hMem, false, [cb](Block& b) {
        if (!Reallocate(b, cb)) {
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return false;
        }
        return true;
    });
}

bool IsGlobalBlock(HGLOBAL hMem) { return Table().Contains(hMem); }

}  // namespace platform
