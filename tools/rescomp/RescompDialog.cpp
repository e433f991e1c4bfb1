#include "tools/rescomp/RescompDialog.h"

#include "tools/rescomp/RescompInput.h"

#include <cctype>
#include <map>
#include <optional>

namespace rescomp {
namespace {

const std::map<std::string, std::uint32_t>& StyleNames()
{
    static const std::map<std::string, std::uint32_t> names = {
        {"WS_POPUP", 0x80000000u},   {"WS_CHILD", 0x40000000u},     {"WS_MINIMIZE", 0x20000000u},
        {"WS_VISIBLE", 0x10000000u}, {"WS_DISABLED", 0x08000000u},  {"WS_CLIPSIBLINGS", 0x04000000u},
        {"WS_CLIPCHILDREN", 0x02000000u}, {"WS_CAPTION", 0x00C00000u}, {"WS_BORDER", 0x00800000u},
        {"WS_DLGFRAME", 0x00400000u}, {"WS_VSCROLL", 0x00200000u}, {"WS_HSCROLL", 0x00100000u},
        {"WS_SYSMENU", 0x00080000u}, {"WS_THICKFRAME", 0x00040000u}, {"WS_GROUP", 0x00020000u},
        {"WS_TABSTOP", 0x00010000u}, {"WS_MINIMIZEBOX", 0x00020000u}, {"WS_MAXIMIZEBOX", 0x00010000u},
        {"WS_EX_DLGMODALFRAME", 0x1u}, {"WS_EX_TOPMOST", 0x8u},     {"WS_EX_TRANSPARENT", 0x20u},
        {"WS_EX_CLIENTEDGE", 0x200u}, {"WS_EX_STATICEDGE", 0x20000u},
        {"DS_ABSALIGN", 0x1u},       {"DS_SYSMODAL", 0x2u},         {"DS_3DLOOK", 0x4u},
        {"DS_FIXEDSYS", 0x8u},       {"DS_NOFAILCREATE", 0x10u},    {"DS_LOCALEDIT", 0x20u},
        {"DS_SETFONT", 0x40u},       {"DS_MODALFRAME", 0x80u},      {"DS_NOIDLEMSG", 0x100u},
        {"DS_SETFOREGROUND", 0x200u}, {"DS_CONTROL", 0x400u},       {"DS_CENTER", 0x800u},
        {"DS_CENTERMOUSE", 0x1000u}, {"DS_CONTEXTHELP", 0x2000u},
        {"BS_PUSHBUTTON", 0x0u},     {"BS_DEFPUSHBUTTON", 0x1u},    {"BS_CHECKBOX", 0x2u},
        {"BS_AUTOCHECKBOX", 0x3u},   {"BS_GROUPBOX", 0x7u},         {"BS_OWNERDRAW", 0xBu},
        {"BS_BITMAP", 0x80u},        {"BS_MULTILINE", 0x2000u},     {"BS_FLAT", 0x8000u},
        {"SS_LEFT", 0x0u},           {"SS_CENTER", 0x1u},           {"SS_RIGHT", 0x2u},
        {"SS_ICON", 0x3u},           {"SS_BITMAP", 0xEu},           {"SS_NOTIFY", 0x100u},
        {"SS_CENTERIMAGE", 0x200u},  {"SS_SUNKEN", 0x1000u},
        {"ES_LEFT", 0x0u},           {"ES_CENTER", 0x1u},           {"ES_MULTILINE", 0x4u},
        {"ES_AUTOVSCROLL", 0x40u},   {"ES_AUTOHSCROLL", 0x80u},     {"ES_NOHIDESEL", 0x100u},
        {"ES_READONLY", 0x800u},     {"ES_WANTRETURN", 0x1000u},
    };
    return names;
}

const std::map<std::string, std::uint16_t>& ClassAtoms()
{
    static const std::map<std::string, std::uint16_t> atoms = {
        {"BUTTON", 0x80}, {"EDIT", 0x81}, {"STATIC", 0x82}, {"LISTBOX", 0x83}, {"SCROLLBAR", 0x84}, {"COMBOBOX", 0x85},
    };
    return atoms;
}

struct Token {
    enum Kind { Word, Number, Text, Bar, Comma } kind;
    std::string text;
    long long value = 0;
};

bool Tokenize(const std::string& line, std::size_t i, std::vector<Token>& tokens, std::string& what)
{
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == ',') {
            tokens.push_back({Token::Comma, ",", 0});
            ++i;
        } else if (c == '|') {
            tokens.push_back({Token::Bar, "|", 0});
            ++i;
        } else if (c == '"') {
            std::string text;
            if (!ReadQuoted(line, i, text, what))
                return false;
            tokens.push_back({Token::Text, text, 0});
        } else if (c == '-' || std::isdigit(static_cast<unsigned char>(c))) {
            std::size_t j = i + (c == '-' ? 1 : 0);
            int base = 10;
            if (j + 1 < line.size() && line[j] == '0' && (line[j + 1] == 'x' || line[j + 1] == 'X')) {
                base = 16;
                j += 2;
            }
            const std::size_t digits = j;
            long long v = 0;
            while (j < line.size() && std::isxdigit(static_cast<unsigned char>(line[j])) &&
                   (base == 16 || std::isdigit(static_cast<unsigned char>(line[j])))) {
                const char d = static_cast<char>(std::tolower(static_cast<unsigned char>(line[j])));
                v = v * base + (d <= '9' ? d - '0' : d - 'a' + 10);
                if (v > 0xFFFFFFFFll) {
                    what = "number too large";
                    return false;
                }
                ++j;
            }
            if (j == digits) {
                what = "bad number";
                return false;
            }
            tokens.push_back({Token::Number, line.substr(i, j - i), c == '-' ? -v : v});
            i = j;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            std::size_t j = i;
            while (j < line.size() && (std::isalnum(static_cast<unsigned char>(line[j])) || line[j] == '_'))
                ++j;
            tokens.push_back({Token::Word, line.substr(i, j - i), 0});
            i = j;
        } else {
            what = std::string("unexpected character '") + c + "'";
            return false;
        }
    }
    return true;
}

// Reads the statement's arguments: fields separated by commas, each a text
// or a style expression (numbers and names joined by '|').
class Fields {
public:
    explicit Fields(std::vector<Token> tokens) : m_tokens(std::move(tokens)) {}

    bool AtEnd() const { return m_pos >= m_tokens.size(); }

    bool Comma(std::string& what)
    {
        if (AtEnd() || m_tokens[m_pos].kind != Token::Comma) {
            what = "expected ','";
            return false;
        }
        ++m_pos;
        return true;
    }
    bool Text(std::string& out, std::string& what)
    {
        if (AtEnd() || m_tokens[m_pos].kind != Token::Text) {
            what = "expected a quoted text";
            return false;
        }
        out = m_tokens[m_pos++].text;
        return true;
    }
    bool Number(long long min, long long max, long long& out, std::string& what)
    {
        if (AtEnd() || m_tokens[m_pos].kind != Token::Number) {
            what = "expected a number";
            return false;
        }
        out = m_tokens[m_pos++].value;
        if (out < min || out > max) {
            what = "number out of range";
            return false;
        }
        return true;
    }
    bool Style(std::uint32_t& out, std::string& what)
    {
        out = 0;
        for (;;) {
            if (AtEnd()) {
                what = "expected a style";
                return false;
            }
            const Token& t = m_tokens[m_pos++];
            if (t.kind == Token::Number && t.value >= 0) {
                out |= static_cast<std::uint32_t>(t.value);
            } else if (t.kind == Token::Word && StyleNames().count(t.text) != 0) {
                out |= StyleNames().at(t.text);
            } else {
                what = "unknown style " + t.text;
                return false;
            }
            if (AtEnd() || m_tokens[m_pos].kind != Token::Bar)
                return true;
            ++m_pos;
        }
    }
    // A class: a known class name (as a word or a text) or any other text.
    bool Class(std::string& out, std::string& what)
    {
        if (!AtEnd() && (m_tokens[m_pos].kind == Token::Text || m_tokens[m_pos].kind == Token::Word)) {
            out = m_tokens[m_pos++].text;
            return true;
        }
        what = "expected a class";
        return false;
    }

private:
    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
};

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
}

void PutDword(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    PutWord(out, v & 0xFFFF);
    PutWord(out, v >> 16);
}

bool PutText(std::vector<std::uint8_t>& out, const std::string& text, std::string& what)
{
    std::u16string wide;
    if (!ToUtf16(text, wide)) {
        what = "text is not UTF-8";
        return false;
    }
    for (char16_t c : wide)
        PutWord(out, c);
    PutWord(out, 0);
    return true;
}

struct Item {
    std::uint32_t style = 0, exStyle = 0;
    long long x = 0, y = 0, cx = 0, cy = 0, id = 0;
    std::string cls, text;
};

constexpr long long kShortMin = -32768, kShortMax = 32767;

bool ReadRect(Fields& f, long long* v, bool leadingComma, std::string& what)
{
    for (int k = 0; k < 4; ++k) {
        if ((k > 0 || leadingComma) && !f.Comma(what))
            return false;
        if (!f.Number(kShortMin, kShortMax, v[k], what))
            return false;
    }
    return true;
}

}  // namespace

bool CompileDialog(const std::string& text, const std::string& origin, std::vector<std::uint8_t>& out,
                   std::string& error)
{
    bool haveDialog = false;
    long long rect[4] = {};
    std::uint32_t style = 0, exStyle = 0;
    std::string caption, fontName;
    std::optional<long long> fontSize;
    std::vector<Item> items;

    std::size_t start = 0;
    int lineNo = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        ++lineNo;
        std::string what;
        auto fail = [&](const std::string& why) {
            error = origin + ":" + std::to_string(lineNo) + ": " + why;
            return false;
        };
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#')
            continue;
        std::vector<Token> tokens;
        if (!Tokenize(line, first, tokens, what))
            return fail(what);
        if (tokens[0].kind != Token::Word)
            return fail("expected a statement");
        const std::string keyword = tokens[0].text;
        Fields f(std::vector<Token>(tokens.begin() + 1, tokens.end()));
        bool ok = true;
        if (keyword == "DIALOG") {
            ok = ReadRect(f, rect, false, what);
            haveDialog = true;
        } else if (keyword == "STYLE") {
            ok = f.Style(style, what);
        } else if (keyword == "EXSTYLE") {
            ok = f.Style(exStyle, what);
        } else if (keyword == "CAPTION") {
            ok = f.Text(caption, what);
        } else if (keyword == "FONT") {
            long long size = 0;
            ok = f.Number(0, 0xFFFF, size, what) && f.Comma(what) && f.Text(fontName, what);
            fontSize = size;
        } else if (keyword == "CONTROL") {
            Item item;
            long long r[4] = {};
            ok = f.Text(item.text, what) && f.Comma(what) && f.Number(0, 0xFFFF, item.id, what) && f.Comma(what) &&
                 f.Class(item.cls, what) && f.Comma(what) && f.Style(item.style, what) && ReadRect(f, r, true, what);
            if (ok && !f.AtEnd())
                ok = f.Comma(what) && f.Style(item.exStyle, what);
            item.x = r[0];
            item.y = r[1];
            item.cx = r[2];
            item.cy = r[3];
            items.push_back(item);
        } else {
            return fail("unknown statement " + keyword);
        }
        if (!ok)
            return fail(what);
        if (!f.AtEnd())
            return fail("unexpected text after the statement");
    }
    if (!haveDialog) {
        error = origin + ": no DIALOG statement";
        return false;
    }
    if (items.size() > 0xFFFF) {
        error = origin + ": too many controls";
        return false;
    }

    std::string what;
    if (fontSize)
        style |= 0x40u;  // DS_SETFONT
    out.clear();
    PutDword(out, style);
    PutDword(out, exStyle);
    PutWord(out, static_cast<std::uint32_t>(items.size()));
    for (long long v : rect)
        PutWord(out, static_cast<std::uint32_t>(v) & 0xFFFF);
    PutWord(out, 0);  // no menu
    PutWord(out, 0);  // the default dialog class
    if (!PutText(out, caption, what))
        return error = origin + ": caption: " + what, false;
    if (fontSize) {
        PutWord(out, static_cast<std::uint32_t>(*fontSize));
        if (!PutText(out, fontName, what))
            return error = origin + ": font: " + what, false;
    }
    for (const Item& item : items) {
        while (out.size() % 4 != 0)
            out.push_back(0);
        PutDword(out, item.style);
        PutDword(out, item.exStyle);
        for (long long v : {item.x, item.y, item.cx, item.cy})
            PutWord(out, static_cast<std::uint32_t>(v) & 0xFFFF);
        PutWord(out, static_cast<std::uint32_t>(item.id));
        std::string upper;
        for (char c : item.cls)
            upper.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
        const auto atom = ClassAtoms().find(upper);
        if (atom != ClassAtoms().end()) {
            PutWord(out, 0xFFFF);
            PutWord(out, atom->second);
        } else if (!PutText(out, item.cls, what)) {
            return error = origin + ": class: " + what, false;
        }
        if (!PutText(out, item.text, what))
            return error = origin + ": text: " + what, false;
        PutWord(out, 0);  // no creation data
    }
    return true;
}

}  // namespace rescomp
