// RtfReader::Read on arbitrary bytes: a document every time, never a read
// outside the input, text that is valid UTF-8, and no more of it than a few
// bytes for every byte read (nothing the input says multiplies it).
// fuzz-layers: ui
#include "platform/kernel32/CodePage.h"
#include "ui/rtf/RtfReader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RtfDocument doc = RtfReader::Read(data, size);
    std::size_t runs = 0;
    std::size_t textBytes = 0;
    for (const RtfParagraph& p : doc.paragraphs) {
        for (const RtfRun& r : p.runs) {
            if (r.text.empty() || !platform::IsUtf8(r.text.data(), r.text.size()) || r.format.fontName.size() > 3 * 31)
                std::abort();
            textBytes += r.text.size();
            ++runs;
        }
    }
    if (textBytes > 3 * size || runs > size || doc.paragraphs.size() > size)
        std::abort();
    return 0;
}
