// The .reg file parser of brelvo-reg import. Any input must give a bounded
// answer; a file it accepts, written back out, must read back to the same
// keys and values.
// fuzz-layers: platform
#include "platform/advapi32/RegistryFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    platform::RegFileDocument doc;
    platform::RegFileError error;
    if (!platform::ParseRegFile(bytes, doc, error)) {
        if (error.message.empty())
            std::abort();  // a failure always says why
        return 0;
    }
    std::string text, problem;
    if (!platform::FormatRegFile(doc, text, problem))
        return 0;  // a key path starting with '-' after its '[' cannot be written
    platform::RegFileDocument back;
    if (!platform::ParseRegFile(text, back, error) || !(back.keys == doc.keys))
        std::abort();
    return 0;
}
