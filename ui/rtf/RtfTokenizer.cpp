#include "ui/rtf/RtfTokenizer.h"

namespace {

bool IsLetter(std::uint8_t c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(std::uint8_t c)
{
    return c >= '0' && c <= '9';
}

int HexValue(std::uint8_t c)
{
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

RtfToken Token(RtfToken::Kind kind)
{
    RtfToken t;
    t.kind = kind;
    return t;
}

}  // namespace

RtfToken RtfTokenizer::Next()
{
    while (m_p < m_end) {
        const std::uint8_t c = *m_p++;
        switch (c) {
        case '{': return Token(RtfToken::Kind::GroupStart);
        case '}': return Token(RtfToken::Kind::GroupEnd);
        case '\r':
        case '\n': continue;
        case '\\': break;
        default: {
            RtfToken t = Token(RtfToken::Kind::Text);
            t.byte = c;
            return t;
        }
        }
        if (m_p == m_end)
            return RtfToken{};  // a lone backslash ends the stream
        const std::uint8_t s = *m_p;
        if (IsLetter(s))
            return ControlWord();
        ++m_p;
        if (s == '\'')
            return HexByte();
        // A backslash before a line end is a paragraph mark.
        if (s == '\r' || s == '\n') {
            RtfToken t = Token(RtfToken::Kind::ControlWord);
            t.name = "par";
            return t;
        }
        RtfToken t = Token(RtfToken::Kind::ControlSymbol);
        t.byte = s;
        return t;
    }
    return RtfToken{};
}

RtfToken RtfTokenizer::ControlWord()
{
    RtfToken t = Token(RtfToken::Kind::ControlWord);
    const std::uint8_t* start = m_p;
    while (m_p < m_end && IsLetter(*m_p))
        ++m_p;
    const std::size_t length = static_cast<std::size_t>(m_p - start);
    t.name = std::string_view(reinterpret_cast<const char*>(start), length < kMaxNameLength ? length : kMaxNameLength);

    bool negative = false;
    if (m_p < m_end && *m_p == '-' && m_p + 1 < m_end && IsDigit(m_p[1])) {
        negative = true;
        ++m_p;
    }
    if (m_p < m_end && IsDigit(*m_p)) {
        t.hasParameter = true;
        std::int64_t value = 0;
        for (; m_p < m_end && IsDigit(*m_p); ++m_p) {
            if (value <= kMaxParameter)
                value = value * 10 + (*m_p - '0');
        }
        if (value > kMaxParameter)
            value = kMaxParameter;
        t.parameter = static_cast<std::int32_t>(negative ? -value : value);
    }
    // One space ends the control word and belongs to it.
    if (m_p < m_end && *m_p == ' ')
        ++m_p;
    return t;
}

RtfToken RtfTokenizer::HexByte()
{
    RtfToken t = Token(RtfToken::Kind::HexByte);
    int value = 0;
    // Two hex digits; fewer (a cut-off or malformed \') give what is there.
    for (int i = 0; i < 2 && m_p < m_end && HexValue(*m_p) >= 0; ++i, ++m_p)
        value = value * 16 + HexValue(*m_p);
    t.byte = static_cast<std::uint8_t>(value);
    return t;
}

void RtfTokenizer::SkipBytes(std::size_t count)
{
    const std::size_t left = static_cast<std::size_t>(m_end - m_p);
    m_p += count < left ? count : left;
}
