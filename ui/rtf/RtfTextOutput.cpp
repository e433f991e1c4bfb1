#include "ui/rtf/RtfTextOutput.h"

#include "platform/kernel32/CodePage.h"
#include "ui/rtf/RtfDecoderCache.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t c)
{
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char32_t c)
{
    return c >= 0xDC00 && c <= 0xDFFF;
}

}  // namespace

void RtfTextOutput::Byte(std::uint8_t byte, unsigned codePage)
{
    if (byte == 0)
        return;  // no code page has text in a zero byte; it would only cut C strings short
    m_codePage = codePage;
    m_bytes.push_back(static_cast<char>(byte));
}

void RtfTextOutput::AppendLoneSurrogate()
{
    if (m_highSurrogate != 0) {
        platform::AppendUtf8(m_text, kReplacement);
        m_highSurrogate = 0;
    }
}

void RtfTextOutput::Flush(const RtfCharFormat& chars, const RtfParagraphFormat& paragraph)
{
    if (m_bytes.empty())
        return;
    m_text.clear();
    AppendLoneSurrogate();
    m_decoders.For(m_codePage).AppendUtf8(reinterpret_cast<const std::uint8_t*>(m_bytes.data()), m_bytes.size(),
                                          m_text);
    m_bytes.clear();
    m_builder.Append(m_text, chars, paragraph);
}

void RtfTextOutput::Settle(const RtfCharFormat& chars, const RtfParagraphFormat& paragraph)
{
    Flush(chars, paragraph);
    m_text.clear();
    AppendLoneSurrogate();
    m_builder.Append(m_text, chars, paragraph);
}

void RtfTextOutput::Unit(char16_t unit, const RtfCharFormat& chars, const RtfParagraphFormat& paragraph)
{
    if (m_highSurrogate != 0 && IsLowSurrogate(unit)) {
        const char32_t c = 0x10000 + ((static_cast<char32_t>(m_highSurrogate) - 0xD800) << 10) + (unit - 0xDC00);
        m_highSurrogate = 0;
        Emit(c, chars, paragraph);
        return;
    }
    Settle(chars, paragraph);
    if (IsHighSurrogate(unit)) {
        m_highSurrogate = unit;  // waits for its low half
        return;
    }
    if (unit == 0)
        return;
    Emit(IsLowSurrogate(unit) ? kReplacement : unit, chars, paragraph);
}

void RtfTextOutput::Character(char32_t c, const RtfCharFormat& chars, const RtfParagraphFormat& paragraph)
{
    Settle(chars, paragraph);
    Emit(c, chars, paragraph);
}

void RtfTextOutput::Emit(char32_t c, const RtfCharFormat& chars, const RtfParagraphFormat& paragraph)
{
    m_text.clear();
    platform::AppendUtf8(m_text, c);
    m_builder.Append(m_text, chars, paragraph);
}
