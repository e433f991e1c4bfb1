// The GNU build id of an ELF image mapped into this process, read from its
// program headers and notes in memory without faulting or allocating.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

// Whether an ELF image of this machine's class starts at base.
bool IsElfImage(std::uintptr_t base) noexcept;

// Copies the build id of the image at base (its first byte mapped at file
// offset 0) into id and returns its length; 0 when it has none or it does
// not fit. scratch holds a note segment while it is read (a larger one is
// passed over).
std::size_t ReadBuildId(std::uintptr_t base, std::uint8_t* id, std::size_t capacity, std::uint8_t* scratch,
                        std::size_t scratchSize) noexcept;

}  // namespace platform
