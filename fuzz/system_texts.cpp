// The readers of the system's own text files (the XDG user-dirs file, a
// process's cgroup list, logind's session records) on arbitrary text. The
// first byte picks the reader. A folder found is absolute, a session name
// has no separator.
// fuzz-layers: platform
#include "platform/kernel32/SystemInfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (data[0] % 3) {
    case 0: {
        const std::string dir = platform::XdgUserDirFromText(text, "DESKTOP", "/home/u");
        if (!dir.empty() && dir[0] != '/')
            std::abort();
        break;
    }
    case 1: {
        const std::string id = platform::SessionFromCgroup(text);
        if (id.find('/') != std::string::npos || id.find('\n') != std::string::npos)
            std::abort();
        break;
    }
    default:
        platform::StateFromSessionRecord(text);
        break;
    }
    return 0;
}
