// The control words the reader acts on, by name. Every other word is
// Unknown and ignored (RTF readers skip what they do not know).
#pragma once

#include <string_view>

enum class RtfWord {
    Unknown,
    // document
    Rtf, AnsiCodePage, DefaultFont, FontTable, ColorTable, SkippedDestination, FieldResult, Binary,
    // font and colour tables
    Font, Charset, Red, Green, Blue,
    // paragraphs
    Par, Pard, AlignLeft, AlignRight, AlignCenter, AlignJustify, LeftIndent, RightIndent, FirstIndent,
    // characters
    Plain, Hidden, Bold, Italic, Underline, UnderlineNone, Strike, FontSize, Foreground, Background,
    // text
    Line, Tab, Cell, Unicode, UnicodeSkip, Character,
};

struct RtfWordInfo {
    RtfWord word = RtfWord::Unknown;
    char32_t character = 0;  // Character: what the word stands for
};

RtfWordInfo LookupControlWord(std::string_view name);
