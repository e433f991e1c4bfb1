// IcoDecoder on arbitrary bytes: the directory, every entry, and the choice
// of the closest image, never reading outside the input.
// fuzz-layers: platform
#include "platform/imaging/IcoDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::IcoDecoder decoder;
    if (!decoder.ReadDirectory(data, size))
        return 0;
    platform::PixelImage image;
    for (std::size_t i = 0; i < decoder.Entries().size(); ++i)
        if (decoder.DecodeEntry(i, image) && image.pixels.size() != static_cast<std::size_t>(image.width) * image.height)
            std::abort();
    decoder.DecodeClosest(32, 32, image);
    return 0;
}
