#include "ui/rtf/RtfControlWords.h"

#include <unordered_map>

namespace {

const std::unordered_map<std::string_view, RtfWordInfo>& Table()
{
    using W = RtfWord;
    static const std::unordered_map<std::string_view, RtfWordInfo> table = {
        {"rtf", {W::Rtf, 0}},
        {"ansicpg", {W::AnsiCodePage, 0}},
        {"deff", {W::DefaultFont, 0}},
        {"fonttbl", {W::FontTable, 0}},
        {"colortbl", {W::ColorTable, 0}},
        {"fldrslt", {W::FieldResult, 0}},
        {"bin", {W::Binary, 0}},
        // Destinations whose text a rich-edit control does not show.
        {"stylesheet", {W::SkippedDestination, 0}},
        {"info", {W::SkippedDestination, 0}},
        {"pict", {W::SkippedDestination, 0}},
        {"nonshppict", {W::SkippedDestination, 0}},
        {"object", {W::SkippedDestination, 0}},
        {"header", {W::SkippedDestination, 0}},
        {"headerl", {W::SkippedDestination, 0}},
        {"headerr", {W::SkippedDestination, 0}},
        {"headerf", {W::SkippedDestination, 0}},
        {"footer", {W::SkippedDestination, 0}},
        {"footerl", {W::SkippedDestination, 0}},
        {"footerr", {W::SkippedDestination, 0}},
        {"footerf", {W::SkippedDestination, 0}},
        {"footnote", {W::SkippedDestination, 0}},
        {"fldinst", {W::SkippedDestination, 0}},
        {"listtable", {W::SkippedDestination, 0}},
        {"listoverridetable", {W::SkippedDestination, 0}},
        {"revtbl", {W::SkippedDestination, 0}},
        {"rsidtbl", {W::SkippedDestination, 0}},
        {"filetbl", {W::SkippedDestination, 0}},
        {"falt", {W::SkippedDestination, 0}},
        {"panose", {W::SkippedDestination, 0}},
        {"xe", {W::SkippedDestination, 0}},
        {"tc", {W::SkippedDestination, 0}},
        {"f", {W::Font, 0}},
        {"fcharset", {W::Charset, 0}},
        {"red", {W::Red, 0}},
        {"green", {W::Green, 0}},
        {"blue", {W::Blue, 0}},
        {"par", {W::Par, 0}},
        {"sect", {W::Par, 0}},
        {"page", {W::Par, 0}},
        {"row", {W::Par, 0}},
        {"nestrow", {W::Par, 0}},
        {"pard", {W::Pard, 0}},
        {"ql", {W::AlignLeft, 0}},
        {"qr", {W::AlignRight, 0}},
        {"qc", {W::AlignCenter, 0}},
        {"qj", {W::AlignJustify, 0}},
        {"qd", {W::AlignJustify, 0}},
        {"li", {W::LeftIndent, 0}},
        {"ri", {W::RightIndent, 0}},
        {"fi", {W::FirstIndent, 0}},
        {"plain", {W::Plain, 0}},
        {"v", {W::Hidden, 0}},
        {"b", {W::Bold, 0}},
        {"i", {W::Italic, 0}},
        {"ul", {W::Underline, 0}},
        {"uld", {W::Underline, 0}},
        {"uldb", {W::Underline, 0}},
        {"uldash", {W::Underline, 0}},
        {"uldashd", {W::Underline, 0}},
        {"uldashdd", {W::Underline, 0}},
        {"ulth", {W::Underline, 0}},
        {"ulw", {W::Underline, 0}},
        {"ulwave", {W::Underline, 0}},
        {"ulnone", {W::UnderlineNone, 0}},
        {"strike", {W::Strike, 0}},
        {"striked", {W::Strike, 0}},
        {"fs", {W::FontSize, 0}},
        {"cf", {W::Foreground, 0}},
        {"cb", {W::Background, 0}},
        {"highlight", {W::Background, 0}},
        {"line", {W::Line, 0}},
        {"tab", {W::Tab, 0}},
        {"cell", {W::Cell, 0}},
        {"nestcell", {W::Cell, 0}},
        {"u", {W::Unicode, 0}},
        {"uc", {W::UnicodeSkip, 0}},
        {"emdash", {W::Character, 0x2014}},
        {"endash", {W::Character, 0x2013}},
        {"bullet", {W::Character, 0x2022}},
        {"lquote", {W::Character, 0x2018}},
        {"rquote", {W::Character, 0x2019}},
        {"ldblquote", {W::Character, 0x201C}},
        {"rdblquote", {W::Character, 0x201D}},
        {"emspace", {W::Character, 0x2003}},
        {"enspace", {W::Character, 0x2002}},
        {"qmspace", {W::Character, 0x2005}},
        {"zwj", {W::Character, 0x200D}},
        {"zwnj", {W::Character, 0x200C}},
        {"ltrmark", {W::Character, 0x200E}},
        {"rtlmark", {W::Character, 0x200F}},
    };
    return table;
}

}  // namespace

RtfWordInfo LookupControlWord(std::string_view name)
{
    const auto& table = Table();
    const auto it = table.find(name);
    return it != table.end() ? it->second : RtfWordInfo{};
}
