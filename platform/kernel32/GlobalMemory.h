// What the global memory calls of platform/ole/Picture.h share with the stream
// over a block: changing a block's size.
#pragma once

#include "platform/ole/Picture.h"

#include <cstddef>

namespace platform {

// The largest block GlobalAlloc makes (a stream's counts are 32 bits).
constexpr std::size_t kMaxGlobalBlock = 0xFFFFFFFFu;

// Gives the block cb bytes: the old bytes are kept up to the smaller size, new
// ones are zero. False with ERROR_INVALID_HANDLE for a handle GlobalAlloc did
// not make, ERROR_NOT_ENOUGH_MEMORY when the memory is not there.
bool GlobalResize(HGLOBAL hMem, std::size_t cb);

// Whether GlobalAlloc made hMem and it has not been freed.
bool IsGlobalBlock(HGLOBAL hMem);

}  // namespace platform
