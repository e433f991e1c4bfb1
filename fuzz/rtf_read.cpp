// RtfReader::Read on arbitrary bytes: a document every time, never a read
// outside the input, text that is valid UTF-8, and no more of it than a few
// bytes for every byte read (nothing the input says multiplies it).
// fuzz-layers: ui
#include "platform/CodePage.h"
#include "ui/rtf/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

bool IsUtf8(const std::string& s)
{
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = platform::Utf8SequenceLength(p + i, s.size() - i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RtfDocument doc = RtfReader::Read(data, size);
    std::size_t runs = 0;
    std::size_t textBytes = 0;
    for (const RtfParagraph& p : doc.paragraphs) {
        for (const RtfRun& r : p.runs) {
            if (r.text.empty() || !IsUtf8(r.text) || r.format.fontName.size() > 3 * 31)
                std::abort();
            textBytes += r.text.size();
            ++runs;
        }
    }
    if (textBytes > 3 * size || runs > size || doc.paragraphs.size() > size)
        std::abort();
    return 0;
}
