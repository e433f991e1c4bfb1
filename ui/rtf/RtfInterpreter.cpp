#include "ui/rtf/RtfInterpreter.h"

#include "ui/rtf/RtfControlWords.h"

namespace {

// Most RTF parameters are 16-bit numbers; larger ones are clamped there.
int Clamp16(std::int32_t value)
{
    return value < -32768 ? -32768 : value > 32767 ? 32767 : value;
}

// A toggle such as \b: on without a parameter or with a non-zero one.
bool ToggleOn(const RtfToken& token)
{
    return !token.hasParameter || token.parameter != 0;
}

}  // namespace

RtfInterpreter::RtfInterpreter(const std::uint8_t* data, std::size_t size) : m_tokens(data, size)
{
    m_stack.reserve(kMaxDepth + 1);
    // The state outside every group; the document's group copies it.
    m_stack.emplace_back();
}

RtfDocument RtfInterpreter::Run()
{
    for (RtfToken token = m_tokens.Next(); token.kind != RtfToken::Kind::End; token = m_tokens.Next()) {
        // The characters that stand for a \uN: anything but a brace.
        if (m_skipUnits > 0) {
            if (token.kind != RtfToken::Kind::GroupStart && token.kind != RtfToken::Kind::GroupEnd) {
                --m_skipUnits;
                continue;
            }
            m_skipUnits = 0;
        }
        switch (token.kind) {
        case RtfToken::Kind::GroupStart: GroupStart(); break;
        case RtfToken::Kind::GroupEnd:
            if (!GroupEnd())
                return m_builder.Finish(true);
            break;
        case RtfToken::Kind::ControlWord: ControlWord(token); break;
        case RtfToken::Kind::ControlSymbol: ControlSymbol(token.byte); break;
        case RtfToken::Kind::HexByte:
        case RtfToken::Kind::Text: TextByte(token.byte); break;
        case RtfToken::Kind::End: break;
        }
    }
    // A document cut short ends where its bytes end.
    Settle();
    return m_builder.Finish(true);
}

void RtfInterpreter::GroupStart()
{
    Flush();
    if (m_stack.size() > kMaxDepth)
        ++m_flattened;
    else
        m_stack.push_back(m_stack.back());
}

bool RtfInterpreter::GroupEnd()
{
    if (m_flattened > 0) {
        --m_flattened;
        return true;
    }
    if (m_stack.size() <= 2) {
        // The document's group closes: what follows is not part of it.
        Settle();
        return false;
    }
    Flush();
    const RtfDestination closing = State().destination;
    m_stack.pop_back();
    // A font entry in a group of its own ends with the group.
    if (closing == RtfDestination::FontTable)
        m_fonts.EndEntry();
    return true;
}

void RtfInterpreter::ControlWord(const RtfToken& token)
{
    Flush();
    const RtfWordInfo info = LookupControlWord(token.name);
    RtfGroupState& s = State();
    // Binary data is skipped in every destination: its bytes may be braces.
    if (info.word == RtfWord::Binary) {
        if (token.hasParameter && token.parameter > 0)
            m_tokens.SkipBytes(static_cast<std::size_t>(token.parameter));
        return;
    }
    switch (s.destination) {
    case RtfDestination::Skipped: return;
    case RtfDestination::FontTable:
        if (info.word == RtfWord::Font && token.hasParameter)
            m_fonts.BeginEntry(token.parameter);
        else if (info.word == RtfWord::Charset && token.hasParameter)
            m_fonts.SetCharset(token.parameter);
        else if (info.word == RtfWord::SkippedDestination)
            s.destination = RtfDestination::Skipped;
        return;
    case RtfDestination::ColorTable:
        if (info.word == RtfWord::Red)
            m_colors.SetRed(token.parameter);
        else if (info.word == RtfWord::Green)
            m_colors.SetGreen(token.parameter);
        else if (info.word == RtfWord::Blue)
            m_colors.SetBlue(token.parameter);
        return;
    case RtfDestination::Text: TextWord(info, token); return;
    }
}

void RtfInterpreter::TextWord(const RtfWordInfo& info, const RtfToken& token)
{
    RtfGroupState& s = State();
    const int value = Clamp16(token.parameter);
    switch (info.word) {
    case RtfWord::Unknown:
    case RtfWord::Rtf:
    case RtfWord::Binary:
    case RtfWord::Charset:
    case RtfWord::Red:
    case RtfWord::Green:
    case RtfWord::Blue: break;
    case RtfWord::AnsiCodePage:
        if (token.hasParameter && token.parameter > 0 && token.parameter <= 65535) {
            m_codePage = static_cast<unsigned>(token.parameter);
            m_fonts.SetDocumentCodePage(m_codePage);
        }
        break;
    case RtfWord::DefaultFont:
        if (token.hasParameter)
            m_defaultFont = token.parameter;
        break;
    case RtfWord::FontTable: s.destination = RtfDestination::FontTable; break;
    case RtfWord::ColorTable: s.destination = RtfDestination::ColorTable; break;
    case RtfWord::SkippedDestination: s.destination = RtfDestination::Skipped; break;
    case RtfWord::FieldResult: break;  // the field's result is shown as text
    case RtfWord::Font:
        if (token.hasParameter)
            s.font = token.parameter;
        break;
    case RtfWord::Par:
        Settle();
        m_builder.EndParagraph(s.paragraph);
        break;
    case RtfWord::Pard: s.paragraph = RtfParagraphFormat(); break;
    case RtfWord::AlignLeft: s.paragraph.align = RtfParagraphFormat::Align::Left; break;
    case RtfWord::AlignRight: s.paragraph.align = RtfParagraphFormat::Align::Right; break;
    case RtfWord::AlignCenter: s.paragraph.align = RtfParagraphFormat::Align::Center; break;
    case RtfWord::AlignJustify: s.paragraph.align = RtfParagraphFormat::Align::Justify; break;
    case RtfWord::LeftIndent: s.paragraph.leftIndentTwips = value; break;
    case RtfWord::RightIndent: s.paragraph.rightIndentTwips = value; break;
    case RtfWord::FirstIndent: s.paragraph.firstLineIndentTwips = value; break;
    case RtfWord::Plain:
        s.chars = RtfCharFormat();
        s.font = -1;
        s.hidden = false;
        break;
    case RtfWord::Hidden: s.hidden = ToggleOn(token); break;
    case RtfWord::Bold: s.chars.bold = ToggleOn(token); break;
    case RtfWord::Italic: s.chars.italic = ToggleOn(token); break;
    case RtfWord::Underline: s.chars.underline = ToggleOn(token); break;
    case RtfWord::UnderlineNone: s.chars.underline = false; break;
    case RtfWord::Strike: s.chars.strike = ToggleOn(token); break;
    case RtfWord::FontSize:
        // A rich-edit control's sizes end at 1638 points.
        s.chars.fontSizeHalfPoints = !token.hasParameter || value <= 0 ? 24 : value > 3276 ? 3276 : value;
        break;
    case RtfWord::Foreground: {
        const auto color = m_colors.Color(token.parameter);
        s.chars.hasColor = color.has_value();
        s.chars.color = color.value_or(0);
        break;
    }
    case RtfWord::Background: {
        const auto color = m_colors.Color(token.parameter);
        s.chars.hasBackground = color.has_value();
        s.chars.background = color.value_or(0);
        break;
    }
    case RtfWord::Line: Character(0x2028); break;
    case RtfWord::Tab:
    case RtfWord::Cell: Character(U'\t'); break;
    case RtfWord::Character: Character(info.character); break;
    case RtfWord::Unicode:
        if (token.hasParameter && !s.hidden) {
            // A signed 16-bit number: negative values stand for 32768..65535.
            const std::int32_t unit = token.parameter < 0 ? token.parameter + 65536 : token.parameter;
            m_output.Unit(unit >= 0 && unit <= 0xFFFF ? static_cast<char16_t>(unit) : u'\xFFFD', CurrentChars(),
                          s.paragraph);
        }
        if (token.hasParameter)
            m_skipUnits = s.unicodeSkip;
        break;
    case RtfWord::UnicodeSkip:
        if (token.hasParameter)
            s.unicodeSkip = value < 0 ? 0 : value;
        break;
    }
}

void RtfInterpreter::ControlSymbol(std::uint8_t symbol)
{
    Flush();
    RtfGroupState& s = State();
    if (symbol == '*') {
        // {\* ...}: a destination this reader need not know; never shown.
        s.destination = RtfDestination::Skipped;
        return;
    }
    switch (symbol) {
    case '\\':
    case '{':
    case '}': TextByte(symbol); break;
    case '~':
        if (s.destination == RtfDestination::Text)
            Character(0x00A0);
        break;
    case '_':
        if (s.destination == RtfDestination::Text)
            Character(0x2011);
        break;
    default: break;  // \- (an optional hyphen) and the rest show nothing
    }
}

void RtfInterpreter::TextByte(std::uint8_t byte)
{
    switch (State().destination) {
    case RtfDestination::Text:
        if (!State().hidden)
            m_output.Byte(byte, CurrentCodePage());
        break;
    case RtfDestination::FontTable: m_fonts.NameByte(byte); break;
    case RtfDestination::ColorTable:
        if (byte == ';')
            m_colors.EndEntry();
        break;
    case RtfDestination::Skipped: break;
    }
}

RtfCharFormat RtfInterpreter::CurrentChars() const
{
    const RtfGroupState& s = m_stack.back();
    RtfCharFormat chars = s.chars;
    chars.fontName = m_fonts.Name(s.font >= 0 ? s.font : m_defaultFont);
    return chars;
}

unsigned RtfInterpreter::CurrentCodePage() const
{
    const RtfGroupState& s = m_stack.back();
    return m_fonts.CodePage(s.font >= 0 ? s.font : m_defaultFont, m_codePage);
}

void RtfInterpreter::Flush()
{
    if (m_output.HasBytes())
        m_output.Flush(CurrentChars(), State().paragraph);
}

void RtfInterpreter::Settle()
{
    m_output.Settle(CurrentChars(), State().paragraph);
}

void RtfInterpreter::Character(char32_t c)
{
    if (State().hidden)
        return;
    m_output.Character(c, CurrentChars(), State().paragraph);
}
