// The reader of the system's own XDG user-dirs file on arbitrary text: a
// folder found is absolute.
// fuzz-layers: platform
#include "platform/kernel32/SystemInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string dir = platform::XdgUserDirFromText(text, "DESKTOP", "/home/u");
    if (!dir.empty() && dir[0] != '/')
        std::abort();
    return 0;
}
