// The tokens of an RTF stream: group braces, control words with their
// optional numeric parameter, control symbols, \'hh bytes and text bytes.
// Literal CR and LF are not tokens (they carry no meaning in RTF). The
// tokenizer never reads past the end of its bytes and keeps no more than a
// fixed amount of any token: names are cut at kMaxNameLength letters and
// parameters saturate, however many digits follow.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

struct RtfToken {
    enum class Kind { End, GroupStart, GroupEnd, ControlWord, ControlSymbol, HexByte, Text };

    Kind kind = Kind::End;
    std::string_view name;     // ControlWord: the letters (at most kMaxNameLength)
    bool hasParameter = false; // ControlWord: digits followed the name
    std::int32_t parameter = 0;
    std::uint8_t byte = 0;     // ControlSymbol: the symbol; HexByte, Text: the byte
};

class RtfTokenizer {
public:
    static constexpr std::size_t kMaxNameLength = 32;
    // Parameters saturate at this magnitude; callers clamp further.
    static constexpr std::int32_t kMaxParameter = 0x7FFFFFFF;

    RtfTokenizer(const std::uint8_t* data, std::size_t size) : m_p(data), m_end(data + size) {}

    RtfToken Next();

    // Skips count raw bytes (the data of \binN), at most up to the end.
    void SkipBytes(std::size_t count);

private:
    RtfToken ControlWord();
    RtfToken HexByte();

    const std::uint8_t* m_p;
    const std::uint8_t* m_end;
};
