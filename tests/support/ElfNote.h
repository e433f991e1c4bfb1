// A minimal ELF file whose only section is the version note, for tests of
// the version readers.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace testsupport {

// A 64-bit little-endian ELF file holding the version note with these parts.
inline std::vector<std::uint8_t> ElfWithVersionNote(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d)
{
    std::vector<std::uint8_t> f(64, 0);
    const char ident[] = "\x7F" "ELF\x02\x01\x01";
    std::memcpy(f.data(), ident, 7);
    auto put = [&f](std::size_t at, std::uint64_t v, int width) {
        if (f.size() < at + width)
            f.resize(at + width, 0);
        for (int i = 0; i < width; ++i)
            f[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    // The note at 64: namesz 7, descsz 8, type 1, "Brelvo\0" padded, 4 parts.
    const std::size_t note = 64;
    f.resize(note + 28, 0);
    put(note, 7, 4);
    put(note + 4, 8, 4);
    put(note + 8, 1, 4);
    std::memcpy(f.data() + note + 12, "Brelvo", 7);
    put(note + 20, a, 2);
    put(note + 22, b, 2);
    put(note + 24, c, 2);
    put(note + 26, d, 2);
    // Section headers at 96: a null section and the note (type 7).
    const std::size_t sh = 96;
    f.resize(sh + 128, 0);
    put(sh + 64 + 4, 7, 4);
    put(sh + 64 + 0x18, note, 8);
    put(sh + 64 + 0x20, 28, 8);
    put(0x28, sh, 8);
    put(0x3A, 64, 2);
    put(0x3C, 2, 2);
    return f;
}

}  // namespace testsupport
