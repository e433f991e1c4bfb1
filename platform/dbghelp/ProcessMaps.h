// The lines of /proc/self/maps, read from a text already in memory without
// allocating (the minidump writer parses them in a signal handler).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct MapsLine {
    std::uintptr_t start = 0;
    std::uintptr_t end = 0;
    char perms[4] = {'-', '-', '-', '-'};  // "r-xp"
    std::uint64_t offset = 0;
    std::uint64_t inode = 0;
    const char* path = nullptr;  // into the text, not terminated; empty for anonymous memory
    std::size_t pathLength = 0;

    bool Readable() const { return perms[0] == 'r'; }
    bool Contains(std::uintptr_t address) const { return start <= address && address < end; }
    bool SamePath(const MapsLine& other) const;
};

class MapsReader {
public:
    MapsReader(const char* text, std::size_t length) : m_p(text), m_end(text + length) {}

    // The next well-formed line; false at the end of the text.
    bool Next(MapsLine& line) noexcept;

private:
    const char* m_p;
    const char* m_end;
};

}  // namespace platform
