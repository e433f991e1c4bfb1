// Where the text of the document's text destinations goes: bytes of the
// current font's code page are gathered until something else comes (so the
// two bytes of a double-byte character meet, however they were written),
// then decoded; \uN units are paired into surrogate pairs, a unit left
// without its partner becomes U+FFFD.
#pragma once

#include "ui/rtf/RtfDocumentBuilder.h"

#include <cstdint>
#include <string>

class RtfDecoderCache;

class RtfTextOutput {
public:
    RtfTextOutput(RtfDecoderCache& decoders, RtfDocumentBuilder& builder) : m_decoders(decoders), m_builder(builder) {}

    // A byte of text in codePage. Bytes of another code page must not be
    // pending (Flush between them).
    void Byte(std::uint8_t byte, unsigned codePage);
    bool HasBytes() const { return !m_bytes.empty(); }

    // Decodes the pending bytes into the document. A high surrogate stays
    // pending when there are none: control words may stand between the two
    // halves of a pair (\u55357?\u56832?).
    void Flush(const RtfCharFormat& chars, const RtfParagraphFormat& paragraph);
    // Flush, and a high surrogate still waiting becomes U+FFFD (at the end of
    // a paragraph and of the document).
    void Settle(const RtfCharFormat& chars, const RtfParagraphFormat& paragraph);
    // A \uN unit (0..0xFFFF).
    void Unit(char16_t unit, const RtfCharFormat& chars, const RtfParagraphFormat& paragraph);
    // A character the control words stand for (\emdash, \tab, \~, ...).
    void Character(char32_t c, const RtfCharFormat& chars, const RtfParagraphFormat& paragraph);

private:
    void Emit(char32_t c, const RtfCharFormat& chars, const RtfParagraphFormat& paragraph);
    void AppendLoneSurrogate();

    RtfDecoderCache& m_decoders;
    RtfDocumentBuilder& m_builder;
    std::string m_bytes;
    unsigned m_codePage = 1252;
    char16_t m_highSurrogate = 0;
    std::string m_text;  // reused for every decoding
};
