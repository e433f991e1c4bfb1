// Reads the tokens of an RTF document into an RtfDocument: the group stack
// with its formats and destinations, the font and colour tables, and the
// control words a rich-edit control acts on. The stack is bounded: groups
// deeper than kMaxDepth share the state of the deepest one kept.
#pragma once

#include "ui/rtf/RtfColorTable.h"
#include "ui/rtf/RtfDecoderCache.h"
#include "ui/rtf/RtfDocumentBuilder.h"
#include "ui/rtf/RtfFontTable.h"
#include "ui/rtf/RtfGroupState.h"
#include "ui/rtf/RtfTextOutput.h"
#include "ui/rtf/RtfTokenizer.h"

#include <cstddef>
#include <cstdint>
#include <vector>

struct RtfWordInfo;

class RtfInterpreter {
public:
    static constexpr std::size_t kMaxDepth = 256;

    RtfInterpreter(const std::uint8_t* data, std::size_t size);
    RtfInterpreter(const RtfInterpreter&) = delete;
    RtfInterpreter& operator=(const RtfInterpreter&) = delete;

    RtfDocument Run();

private:
    RtfGroupState& State() { return m_stack.back(); }
    void GroupStart();
    // False once the document's own group has closed.
    bool GroupEnd();
    void ControlWord(const RtfToken& token);
    void TextWord(const RtfWordInfo& info, const RtfToken& token);
    void ControlSymbol(std::uint8_t symbol);
    void TextByte(std::uint8_t byte);

    RtfCharFormat CurrentChars() const;
    unsigned CurrentCodePage() const;
    void Flush();
    void Settle();
    void Character(char32_t c);

    RtfTokenizer m_tokens;
    RtfDecoderCache m_decoders;
    RtfDocumentBuilder m_builder;
    RtfTextOutput m_output{m_decoders, m_builder};
    RtfFontTable m_fonts{m_decoders};
    RtfColorTable m_colors;
    std::vector<RtfGroupState> m_stack;
    std::size_t m_flattened = 0;     // groups opened beyond kMaxDepth, not on the stack
    int m_skipUnits = 0;             // characters left to skip after a \uN
    unsigned m_codePage = 1252;      // \ansicpgN
    int m_defaultFont = 0;           // \deffN
};
