// MapsReader on arbitrary text: every line it gives lies inside the input and
// spans a non-empty address range; reading ends.
// fuzz-layers: platform
#include "platform/dbghelp/ProcessMaps.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    platform::MapsReader reader(text, size);
    platform::MapsLine line;
    std::size_t lines = 0;
    while (reader.Next(line)) {
        if (line.start >= line.end || line.path < text || line.path + line.pathLength > text + size || ++lines > size)
            std::abort();
    }
    return 0;
}
