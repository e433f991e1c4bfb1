#include "platform/dbghelp/ProcessMaps.h"

#include <cstring>

namespace platform {

namespace {

bool Hex(const char*& p, const char* end, std::uint64_t& value)
{
    const char* start = p;
    value = 0;
    for (; p < end; ++p) {
        const char c = *p;
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            break;
        value = value * 16 + static_cast<std::uint64_t>(digit);
    }
    return p != start;
}

bool Decimal(const char*& p, const char* end, std::uint64_t& value)
{
    const char* start = p;
    value = 0;
    for (; p < end && *p >= '0' && *p <= '9'; ++p)
        value = value * 10 + static_cast<std::uint64_t>(*p - '0');
    return p != start;
}

bool Skip(const char*& p, const char* end, char c)
{
    if (p >= end || *p != c)
        return false;
    ++p;
    return true;
}

void SkipBlanks(const char*& p, const char* end)
{
    while (p < end && *p == ' ')
        ++p;
}

// "start-end perms offset major:minor inode   path"
bool ParseLine(const char* p, const char* end, MapsLine& line)
{
    std::uint64_t start, stop, offset, major, minor, inode;
    if (!Hex(p, end, start) || !Skip(p, end, '-') || !Hex(p, end, stop) || !Skip(p, end, ' '))
        return false;
    if (end - p < 5)
        return false;
    std::memcpy(line.perms, p, 4);
    p += 4;
    if (!Skip(p, end, ' ') || !Hex(p, end, offset) || !Skip(p, end, ' ') || !Hex(p, end, major) ||
        !Skip(p, end, ':') || !Hex(p, end, minor) || !Skip(p, end, ' ') || !Decimal(p, end, inode))
        return false;
    SkipBlanks(p, end);
    line.start = static_cast<std::uintptr_t>(start);
    line.end = static_cast<std::uintptr_t>(stop);
    line.offset = offset;
    line.inode = inode;
    line.path = p;
    line.pathLength = static_cast<std::size_t>(end - p);
    return line.start < line.end;
}

}  // namespace

bool MapsLine::SamePath(const MapsLine& other) const
{
    return pathLength == other.pathLength && inode == other.inode &&
           (pathLength == 0 || std::memcmp(path, other.path, pathLength) == 0);
}

bool MapsReader::Next(MapsLine& line) noexcept
{
    while (m_p < m_end) {
        const char* begin = m_p;
        const void* nl = std::memchr(begin, '\n', static_cast<std::size_t>(m_end - begin));
        const char* stop = nl != nullptr ? static_cast<const char*>(nl) : m_end;
        m_p = nl != nullptr ? stop + 1 : m_end;
        line = MapsLine{};
        if (ParseLine(begin, stop, line))
            return true;
    }
    return false;
}

}  // namespace platform
