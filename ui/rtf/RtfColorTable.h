// The colour table of an RTF document, {\colortbl;\red255\green0\blue0;}:
// entries end with ';', an entry without components is "auto" (no colour of
// its own; entry 0 usually is one).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

class RtfColorTable {
public:
    // \red, \green, \blue of the entry being read (clamped to 0..255).
    void SetRed(int value) { Set(16, value); }
    void SetGreen(int value) { Set(8, value); }
    void SetBlue(int value) { Set(0, value); }
    // ';': the entry is complete.
    void EndEntry();

    // 0xRRGGBB of entry index; nothing for an auto entry or an index the
    // table does not have.
    std::optional<std::uint32_t> Color(int index) const;

private:
    void Set(int shift, int value);

    std::vector<std::optional<std::uint32_t>> m_entries;
    std::uint32_t m_current = 0;
    bool m_hasComponent = false;
};
