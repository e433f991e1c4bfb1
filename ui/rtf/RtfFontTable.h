// The font table of an RTF document, {\fonttbl{\f0\fswiss\fcharset0 Arial;}}:
// font numbers with their names and the code page their \fcharsetN selects
// for the font's bytes. Entries come one at a time, in groups of their own or
// one after the other, each ending with ';' or with its group.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

class RtfDecoderCache;

class RtfFontTable {
public:
    explicit RtfFontTable(RtfDecoderCache& decoders) : m_decoders(decoders) {}

    // The document's code page (\ansicpgN): names of fonts without a
    // charset of their own are in it.
    void SetDocumentCodePage(unsigned codePage) { m_documentCodePage = codePage; }

    // Names longer than this are cut, as a LOGFONT's face name is; it also
    // bounds what every run that uses the font copies.
    static constexpr std::size_t kMaxNameBytes = 31;

    // \fN inside the table: an entry for font N starts.
    void BeginEntry(int font);
    // \fcharsetN of the entry being read.
    void SetCharset(int charset);
    // A byte of the entry's name; ';' completes the entry.
    void NameByte(std::uint8_t byte);
    // The entry's group closed (a name without ';' counts as well).
    void EndEntry();

    // The name of font N, empty for a font the table does not have.
    std::string Name(int font) const;
    // The code page for font N's bytes: its charset's, documentCodePage for
    // charset 0, 1 and 2, unknown charsets and unknown fonts.
    unsigned CodePage(int font, unsigned documentCodePage) const;

    // The code page a \fcharsetN stands for, 0 when it is the document's.
    static unsigned CharsetCodePage(int charset);

private:
    struct Font {
        std::string name;
        unsigned codePage = 0;  // 0: the document's
    };

    RtfDecoderCache& m_decoders;
    unsigned m_documentCodePage = 1252;
    bool m_inEntry = false;
    int m_font = 0;
    int m_charset = 0;
    std::string m_nameBytes;
    std::map<int, Font> m_fonts;
};
