// CDialogTemplate::Parse on arbitrary bytes: it accepts or refuses, never
// reads outside the input, and a refusal leaves the object empty.
// fuzz-layers: ui
#include "ui/CDialogTemplate.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CDialogTemplate t;
    if (!t.Parse(data, size) && (!t.items.empty() || !t.caption.empty()))
        std::abort();
    if (t.items.size() > size / 18 + 1)
        std::abort();
    return 0;
}
