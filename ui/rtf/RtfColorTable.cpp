#include "ui/rtf/RtfColorTable.h"

void RtfColorTable::Set(int shift, int value)
{
    const std::uint32_t component = static_cast<std::uint32_t>(value < 0 ? 0 : value > 255 ? 255 : value);
    m_current = (m_current & ~(0xFFu << shift)) | (component << shift);
    m_hasComponent = true;
}

void RtfColorTable::EndEntry()
{
    if (m_hasComponent)
        m_entries.emplace_back(m_current);
    else
        m_entries.emplace_back(std::nullopt);
    m_current = 0;
    m_hasComponent = false;
}

std::optional<std::uint32_t> RtfColorTable::Color(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_entries.size())
        return std::nullopt;
    return m_entries[static_cast<std::size_t>(index)];
}
