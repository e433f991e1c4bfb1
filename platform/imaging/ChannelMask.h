// One colour channel of a bitmap pixel stored as bit fields (BI_BITFIELDS,
// and the fixed 5-5-5 layout of 16-bit BI_RGB): the channel is one run of
// contiguous bits of the pixel, scaled to 0..255 so that the highest value
// of any width is full intensity.
#pragma once

#include <array>
#include <cstdint>

namespace platform {

class ChannelMask {
public:
    // False (and the mask unchanged) when the set bits of mask are not one
    // contiguous run. A mask of 0 is a channel that is not there.
    bool Set(std::uint32_t mask);

    std::uint32_t Mask() const { return m_mask; }
    bool Empty() const { return m_mask == 0; }

    // The channel of pixel, 0..255; 0 when the channel is not there.
    std::uint8_t Value(std::uint32_t pixel) const
    {
        if (m_mask == 0)
            return 0;
        const std::uint32_t v = (pixel & m_mask) >> m_shift;
        if (m_max <= 0xFF)
            return m_scaled[v];
        return static_cast<std::uint8_t>((std::uint64_t{v} * 255 + m_max / 2) / m_max);
    }

private:
    std::uint32_t m_mask = 0;
    int m_shift = 0;
    std::uint32_t m_max = 0;
    // Channels of up to 8 bits scale through this table.
    std::array<std::uint8_t, 256> m_scaled{};
};

}  // namespace platform
