#include "platform/imaging/ChannelMask.h"

#include <bit>

namespace platform {

bool ChannelMask::Set(std::uint32_t mask)
{
    if (mask == 0) {
        *this = ChannelMask{};
        return true;
    }
    const int shift = std::countr_zero(mask);
    const std::uint32_t bits = mask >> shift;
    // Contiguous: the bits above the lowest set one are all ones, then zeros.
    if ((bits & (bits + 1)) != 0)
        return false;
    m_mask = mask;
    m_shift = shift;
    m_max = bits;
    if (m_max <= 0xFF)
        for (std::uint32_t v = 0; v <= m_max; ++v)
            m_scaled[v] = static_cast<std::uint8_t>((v * 255 + m_max / 2) / m_max);
    return true;
}

}  // namespace platform
