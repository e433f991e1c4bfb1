#include "ui/rtf/RtfFontTable.h"

#include "ui/rtf/RtfDecoderCache.h"

unsigned RtfFontTable::CharsetCodePage(int charset)
{
    switch (charset) {
    case 77: return 10000;   // Mac Roman
    case 128: return 932;    // Shift-JIS
    case 129: return 949;    // Hangul
    case 130: return 1361;   // Johab
    case 134: return 936;    // GB 2312
    case 136: return 950;    // Big5
    case 161: return 1253;   // Greek
    case 162: return 1254;   // Turkish
    case 163: return 1258;   // Vietnamese
    case 177: return 1255;   // Hebrew
    case 178: return 1256;   // Arabic
    case 186: return 1257;   // Baltic
    case 204: return 1251;   // Cyrillic
    case 222: return 874;    // Thai
    case 238: return 1250;   // Central European
    case 255: return 437;    // OEM
    default: return 0;       // ANSI, default, symbol and the unknown: the document's
    }
}

void RtfFontTable::BeginEntry(int font)
{
    if (m_inEntry)
        EndEntry();
    m_inEntry = true;
    m_font = font;
    m_charset = 0;
    m_nameBytes.clear();
}

void RtfFontTable::SetCharset(int charset)
{
    if (m_inEntry)
        m_charset = charset;
}

void RtfFontTable::NameByte(std::uint8_t byte)
{
    if (!m_inEntry)
        return;
    if (byte == ';') {
        EndEntry();
        return;
    }
    if (m_nameBytes.size() < kMaxNameBytes)
        m_nameBytes.push_back(static_cast<char>(byte));
}

void RtfFontTable::EndEntry()
{
    if (!m_inEntry)
        return;
    m_inEntry = false;
    Font font;
    font.codePage = CharsetCodePage(m_charset);
    // The name is in the font's own code page.
    const unsigned nameCodePage = font.codePage != 0 ? font.codePage : m_documentCodePage;
    const auto first = m_nameBytes.find_first_not_of(' ');
    const auto last = m_nameBytes.find_last_not_of(' ');
    if (first != std::string::npos) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(m_nameBytes.data()) + first;
        m_decoders.For(nameCodePage).AppendUtf8(p, last - first + 1, font.name);
    }
    m_fonts[m_font] = std::move(font);
}

std::string RtfFontTable::Name(int font) const
{
    const auto it = m_fonts.find(font);
    return it != m_fonts.end() ? it->second.name : std::string();
}

unsigned RtfFontTable::CodePage(int font, unsigned documentCodePage) const
{
    const auto it = m_fonts.find(font);
    return it != m_fonts.end() && it->second.codePage != 0 ? it->second.codePage : documentCodePage;
}
