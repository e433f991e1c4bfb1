// Global memory: movable blocks (GlobalAlloc and its companions), and what
// they share with the stream over a block (platform/ole/HGlobalStream.h):
// changing a block's size.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinTypes.h"

#include <cstddef>

// Global memory (GMEM_MOVEABLE blocks are the only kind the program uses).
// HGLOBAL is the handle type of platform/kernel32/Resources.h (a void pointer, as on
// Windows); a value that GlobalAlloc did not return is refused with
// ERROR_INVALID_HANDLE. Blocks are limited to 0xFFFFFFFF bytes, the range of
// a stream's 32-bit counts. A zero-size block exists but has no bytes:
// GlobalLock gives null for it.
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
HGLOBAL GlobalAlloc(UINT uFlags, std::size_t dwBytes);
void* GlobalLock(HGLOBAL hMem);
BOOL GlobalUnlock(HGLOBAL hMem);
std::size_t GlobalSize(HGLOBAL hMem);
HGLOBAL GlobalFree(HGLOBAL hMem);  // null on success

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
