#include "platform/ole/TaskAllocator.h"

#include <cstdlib>

void* CoTaskMemAlloc(std::size_t cb)
{
    // A request for 0 bytes still yields a block, as on Windows.
    return std::malloc(cb == 0 ? 1 : cb);
}

void* CoTaskMemRealloc(void* pv, std::size_t cb)
{
    return std::realloc(pv, cb == 0 ? 1 : cb);
}

void CoTaskMemFree(void* pv) { std::free(pv); }
