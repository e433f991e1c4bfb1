// Reading this process's own memory without faulting, for the minidump
// writer in a signal handler: an address that is not mapped, or a mapped
// file's page past its end, gives false instead of another signal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Whether a plain copy may stand in when the kernel refuses the safe read
// (a sandbox that forbids it): only for memory the caller knows is readable.
enum class KnownReadable { No, Yes };

// Copies size bytes at address into buffer; false when they cannot all be read.
bool ReadOwnMemory(std::uintptr_t address, void* buffer, std::size_t size,
                   KnownReadable known = KnownReadable::No) noexcept;

}  // namespace platform
