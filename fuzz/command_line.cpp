// SplitCommandLine on arbitrary command texts (an update's installer command
// comes from its configuration file). Every prefix that ends before a blank
// is offered as an existing file when the first input byte's bit for its
// length says so. The program must be one of the candidates or the first
// word, and no word may hold a double quote or contain bytes not in the line.
// fuzz-layers: platform
#include "platform/kernel32/Process.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned fileBits = data[0];
    const std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto words = platform::SplitCommandLine(
        line, [&](const std::string& p) { return ((fileBits >> (p.size() % 8)) & 1u) != 0; });
    std::size_t total = 0;
    for (std::size_t i = 0; i < words.size(); ++i) {
        total += words[i].size();
        if (i > 0 && words[i].find('"') != std::string::npos)
            std::abort();
    }
    if (total > line.size())
        std::abort();
    return 0;
}
