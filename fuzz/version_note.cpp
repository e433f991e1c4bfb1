// ReadVersionNote on arbitrary bytes: it finds a note or not, never reading
// outside the input (the sanitizers watch the reads).
// fuzz-layers: platform
#include "platform/version/VersionInfo.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    WORD parts[4] = {};
    platform::ReadVersionNote(data, size, parts);
    return 0;
}
