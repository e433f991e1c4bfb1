// BmpDecoder on arbitrary bytes: a picture or a refusal, never a read outside
// the input (the sanitizers watch) and never an image above the limits.
// fuzz-layers: platform
#include "platform/imaging/BmpDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    platform::DecodedImage image;
    if (platform::BmpDecoder::Decode(data, size, image)) {
        const auto& px = image.image;
        if (!platform::ImageSizeAllowed(px.width, px.height) ||
            px.pixels.size() != static_cast<std::size_t>(px.width) * px.height)
            std::abort();
    }
    return 0;
}
