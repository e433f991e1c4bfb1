#include "platform/advapi32/RegistryFile.h"

#include "platform/advapi32/Registry.h"
#include "platform/kernel32/CodePage.h"

#include <cstdio>

namespace platform {

namespace {

constexpr std::string_view kHeader5 = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeader4 = "REGEDIT4";
constexpr std::string_view kCrLf = "\r\n";
constexpr std::size_t kHexLineWidth = 80;

// Length of the valid UTF-8 sequence at s[i] (shortest form, no surrogates,
// at most U+10FFFF), or 0 when there is none.
std::size_t DecodeUtf8(std::string_view s, std::size_t i, char32_t& cp)
{
    const unsigned char c0 = static_cast<unsigned char>(s[i]);
    if (c0 < 0x80) {
        cp = c0;
        return 1;
    }
    std::size_t n;
    char32_t min;
    if ((c0 & 0xE0) == 0xC0) {
        n = 2;
        cp = c0 & 0x1F;
        min = 0x80;
    } else if ((c0 & 0xF0) == 0xE0) {
        n = 3;
        cp = c0 & 0x0F;
        min = 0x800;
    } else if ((c0 & 0xF8) == 0xF0) {
        n = 4;
        cp = c0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (n > s.size() - i)
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const unsigned char c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return n;
}


bool IsTextType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ; }

std::string_view TrimLeft(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s)
{
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits as a 32-bit number.
bool ParseHex32(std::string_view s, DWORD& out)
{
    if (s.empty() || s.size() > 8)
        return false;
    DWORD v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0)
            return false;
        v = (v << 4) | static_cast<DWORD>(d);
    }
    out = v;
    return true;
}

// The whole text as UTF-8: a UTF-16LE file is converted, a UTF-8 mark dropped.
bool DecodeFileText(std::string_view bytes, std::string& text, RegFileError& error)
{
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        if (!Utf16LeToUtf8(reinterpret_cast<const BYTE*>(bytes.data()) + 2, bytes.size() - 2, text)) {
            error = {0, "the file is marked as UTF-16LE but is not valid UTF-16LE text"};
            return false;
        }
        return true;
    }
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFE &&
        static_cast<unsigned char>(bytes[1]) == 0xFF) {
        error = {0, "UTF-16 big-endian files are not supported"};
        return false;
    }
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    text.assign(bytes);
    return true;
}

class Parser {
public:
    Parser(std::string_view text, RegFileDocument& doc, RegFileError& error) : m_text(text), m_doc(doc), m_error(error)
    {
    }

    bool Run()
    {
        std::string_view line;
        bool header = false;
        // The header is the first line that is not blank.
        while (!header && NextLine(line)) {
            line = TrimRight(TrimLeft(line));
            if (line.empty())
                continue;
            if (line == kHeader5)
                m_unicode = true;
            else if (line == kHeader4)
                m_unicode = false;
            else
                return Fail("not a registry file: the first line must be \"Windows Registry Editor Version 5.00\"");
            header = true;
        }
        if (!header) {
            m_error = {0, "not a registry file: it is empty"};
            return false;
        }
        while (NextLine(line)) {
            line = TrimRight(TrimLeft(line));
            if (line.empty() || line.front() == ';')
                continue;
            const bool ok = line.front() == '[' ? KeyLine(line) : ValueLine(line);
            if (!ok)
                return false;
        }
        return true;
    }

private:
    bool NextLine(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        const std::size_t end = m_text.find('\n', m_pos);
        const std::size_t stop = end == std::string_view::npos ? m_text.size() : end;
        line = m_text.substr(m_pos, stop - m_pos);
        m_pos = stop + 1;
        ++m_lineNo;
        return true;
    }

    bool Fail(std::string message)
    {
        m_error = {m_lineNo, std::move(message)};
        return false;
    }

    bool KeyLine(std::string_view line)
    {
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || close == 0)
            return Fail("a key line must end in ']'");
        if (!TrimRight(line.substr(close + 1)).empty())
            return Fail("text after the key's closing ']'");
        std::string_view path = line.substr(1, close - 1);
        RegFileKey key;
        key.line = m_lineNo;
        if (!path.empty() && path.front() == '-') {
            key.remove = true;
            path.remove_prefix(1);
        }
        if (path.empty())
            return Fail("a key line needs a key path");
        if (path.find('\0') != std::string_view::npos)
            return Fail("NUL character in a key path");
        key.path.assign(path);
        m_doc.keys.push_back(std::move(key));
        return true;
    }

    // A quoted text from s[0] == '"' (s is a view into the file's text); rest
    // is what follows the closing quote on its line. With multiLine the text
    // may go on over line breaks, as regedit writes a string value that
    // holds one: the bytes between the quotes are taken as they stand (a
    // CRLF file gives "\r\n"), and reading goes on after the closing line.
    bool Quoted(std::string_view s, std::string& out, std::string_view& rest, bool multiLine = false)
    {
        out.clear();
        const std::size_t start = static_cast<std::size_t>(s.data() - m_text.data()) + 1;
        const int openingLine = m_lineNo;
        for (std::size_t i = start; i < m_text.size(); ++i) {
            const char c = m_text[i];
            if (c == '"') {
                std::size_t end = m_text.find('\n', i + 1);
                if (end == std::string_view::npos)
                    end = m_text.size();
                rest = m_text.substr(i + 1, end - (i + 1));
                if (m_lineNo != openingLine)
                    m_pos = end + 1;
                return true;
            }
            if (c == '\n') {
                // Without multiLine the text must close on its own line.
                if (!multiLine)
                    break;
                ++m_lineNo;
            }
            if (c == '\\' && i + 1 < m_text.size() && (m_text[i + 1] == '\\' || m_text[i + 1] == '"')) {
                out += m_text[++i];
            } else if (!multiLine && c == '\r' && i + 1 < m_text.size() && m_text[i + 1] == '\n') {
                break;
            } else {
                out += c;
            }
        }
        m_lineNo = openingLine;
        return Fail("a quoted text has no closing '\"'");
    }

    bool ValueLine(std::string_view line)
    {
        if (m_doc.keys.empty())
            return Fail("a value line before the first key line");
        RegFileKey& key = m_doc.keys.back();
        if (key.remove)
            return Fail("a value line under a key that is being deleted");

        RegFileValue value;
        value.line = m_lineNo;
        std::string_view rest;
        if (line.front() == '@') {
            rest = line.substr(1);
        } else if (line.front() == '"') {
            if (!Quoted(line, value.name, rest))
                return false;
            if (value.name.find('\0') != std::string::npos)
                return Fail("NUL character in a value name");
        } else {
            return Fail("expected a key line '[...]' or a value line '\"name\"=...' or '@=...'");
        }
        rest = TrimRight(TrimLeft(rest));
        if (rest.empty() || rest.front() != '=')
            return Fail("expected '=' after the value name");
        rest = TrimLeft(rest.substr(1));
        if (!ValueData(rest, value))
            return false;
        key.values.push_back(std::move(value));
        return true;
    }

    bool ValueData(std::string_view s, RegFileValue& value)
    {
        if (s == "-") {
            value.remove = true;
            return true;
        }
        if (!s.empty() && s.front() == '"') {
            std::string text;
            std::string_view rest;
            if (!Quoted(s, text, rest, true))
                return false;
            if (!TrimRight(rest).empty())
                return Fail("text after the closing '\"' of a string value");
            value.type = REG_SZ;
            value.data.assign(text.begin(), text.end());
            value.data.push_back(0);
            return true;
        }
        if (s.substr(0, 6) == "dword:") {
            // Leading zeros beyond eight digits are taken, as regedit takes
            // them (dword:000000018); the number itself must fit 32 bits.
            std::string_view digits = TrimRight(s.substr(6));
            while (digits.size() > 8 && digits.front() == '0')
                digits.remove_prefix(1);
            DWORD v = 0;
            if (!ParseHex32(digits, v))
                return Fail("dword: needs a hexadecimal number of at most 32 bits");
            value.type = REG_DWORD;
            value.data = {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8), static_cast<BYTE>(v >> 16),
                          static_cast<BYTE>(v >> 24)};
            return true;
        }
        if (s.substr(0, 4) == "hex:") {
            value.type = REG_BINARY;
            return HexData(s.substr(4), value);
        }
        if (s.substr(0, 4) == "hex(") {
            const std::size_t close = s.find("):");
            if (close == std::string_view::npos || !ParseHex32(s.substr(4, close - 4), value.type))
                return Fail("hex(N): needs a type number of 1 to 8 hexadecimal digits");
            return HexData(s.substr(close + 2), value);
        }
        return Fail("unknown value data: expected \"text\", dword:, hex:, hex(N): or -");
    }

    // Comma-separated bytes, continued on the next line after a final '\'.
    bool HexData(std::string_view s, RegFileValue& value)
    {
        const int firstLine = m_lineNo;
        std::vector<BYTE> bytes;
        for (;;) {
            s = TrimRight(s);
            const bool more = !s.empty() && s.back() == '\\';
            if (more)
                s.remove_suffix(1);
            if (!HexBytes(s, bytes))
                return false;
            if (!more)
                break;
            std::string_view next;
            if (!NextLine(next))
                break;  // a continuation at the end of the file ends the data
            s = TrimLeft(next);
        }
        if (m_unicode && IsTextType(value.type)) {
            std::string text;
            if (!Utf16LeToUtf8(bytes.data(), bytes.size(), text)) {
                m_error = {firstLine, "hex(" + std::to_string(value.type) + ") data is not UTF-16LE text"};
                return false;
            }
            value.data.assign(text.begin(), text.end());
        } else {
            value.data = std::move(bytes);
        }
        return true;
    }

    bool HexBytes(std::string_view s, std::vector<BYTE>& bytes)
    {
        s = TrimLeft(s);
        while (!s.empty()) {
            std::size_t n = 0;
            int v = 0;
            while (n < s.size() && n < 3 && HexDigit(s[n]) >= 0)
                v = v * 16 + HexDigit(s[n++]);
            if (n == 0 || n > 2)
                return Fail("hex data must be bytes of two hexadecimal digits separated by commas");
            bytes.push_back(static_cast<BYTE>(v));
            s = TrimLeft(s.substr(n));
            if (s.empty())
                break;
            if (s.front() != ',')
                return Fail("hex data must be bytes of two hexadecimal digits separated by commas");
            s = TrimLeft(s.substr(1));
        }
        return true;
    }

    std::string_view m_text;
    RegFileDocument& m_doc;
    RegFileError& m_error;
    std::size_t m_pos = 0;
    int m_lineNo = 0;
    bool m_unicode = true;  // 5.00 (true) or REGEDIT4
};

// --- writing ---

std::string Escaped(std::string_view s)
{
    std::string out;
    out.reserve(s.size() + 2);
    for (char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

// Whether "text" in quotes gives back exactly these REG_SZ bytes.
bool QuotedFormHolds(const std::vector<BYTE>& d)
{
    if (d.empty() || d.back() != 0)
        return false;
    const std::string_view text(reinterpret_cast<const char*>(d.data()), d.size() - 1);
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos && platform::IsUtf8(text.data(), text.size());
}

void AppendHex(std::string& out, std::string_view prefix, const std::vector<BYTE>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::size_t lineStart = out.size();
    out += prefix;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const bool last = i + 1 == bytes.size();
        // Each line stays within the width, its "\" included.
        if (out.size() - lineStart + (last ? 2 : 3) > kHexLineWidth - 1) {
            out += "\\";
            out += kCrLf;
            lineStart = out.size();
            out += "  ";
        }
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0xF];
        if (!last)
            out += ',';
    }
    out += kCrLf;
}

void AppendValue(std::string& out, const RegFileValue& v)
{
    std::string lhs;
    if (v.name.empty()) {
        lhs = "@=";
    } else {
        lhs = "\"";
        lhs += Escaped(v.name);
        lhs += "\"=";
    }
    if (v.remove) {
        out += lhs + "-";
        out += kCrLf;
        return;
    }
    if (v.type == REG_SZ && QuotedFormHolds(v.data)) {
        out += lhs + "\"" +
               Escaped(std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1)) + "\"";
        out += kCrLf;
        return;
    }
    if (v.type == REG_DWORD && v.data.size() == 4) {
        char buf[16];
        const DWORD d = static_cast<DWORD>(v.data[0]) | (static_cast<DWORD>(v.data[1]) << 8) |
                        (static_cast<DWORD>(v.data[2]) << 16) | (static_cast<DWORD>(v.data[3]) << 24);
        std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(d));
        out += lhs + "dword:" + buf;
        out += kCrLf;
        return;
    }
    if (v.type == REG_BINARY) {
        AppendHex(out, lhs + "hex:", v.data);
        return;
    }
    char type[24];
    std::snprintf(type, sizeof type, "hex(%x):", static_cast<unsigned>(v.type));
    if (IsTextType(v.type)) {
        const std::string_view text(reinterpret_cast<const char*>(v.data.data()), v.data.size());
        AppendHex(out, lhs + type, Utf8ToUtf16Le(text));
    } else {
        AppendHex(out, lhs + type, v.data);
    }
}

}  // namespace

std::vector<BYTE> Utf8ToUtf16Le(std::string_view utf8)
{
    std::vector<BYTE> out;
    out.reserve(utf8.size() * 2);
    auto unit = [&out](char32_t u) {
        out.push_back(static_cast<BYTE>(u & 0xFF));
        out.push_back(static_cast<BYTE>(u >> 8));
    };
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        const std::size_t n = DecodeUtf8(utf8, i, cp);
        if (n == 0) {
            unit(0xDC00 + static_cast<unsigned char>(utf8[i]));  // a byte that is not UTF-8
            ++i;
            continue;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            unit(0xD800 + (cp >> 10));
            unit(0xDC00 + (cp & 0x3FF));
        } else {
            unit(cp);
        }
        i += n;
    }
    return out;
}

bool Utf16LeToUtf8(const BYTE* data, std::size_t cb, std::string& out)
{
    out.clear();
    if (cb % 2 != 0)
        return false;
    const std::size_t n = cb / 2;
    auto at = [data](std::size_t k) { return static_cast<char32_t>(data[2 * k] | (data[2 * k + 1] << 8)); };
    for (std::size_t k = 0; k < n; ++k) {
        const char32_t u = at(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < n && at(k + 1) >= 0xDC00 && at(k + 1) <= 0xDFFF) {
            platform::AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (at(k + 1) - 0xDC00));
            ++k;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out += static_cast<char>(u & 0xFF);
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            return false;
        } else {
            platform::AppendUtf8(out, u);
        }
    }
    return true;
}

bool ParseRegFile(std::string_view bytes, RegFileDocument& out, RegFileError& error)
{
    out.keys.clear();
    error = {};
    std::string text;
    if (!DecodeFileText(bytes, text, error))
        return false;
    Parser p(text, out, error);
    return p.Run();
}

bool FormatRegFile(const RegFileDocument& doc, std::string& out, std::string& problem)
{
    constexpr std::string_view kUnwritable("\n\0", 2);
    problem.clear();
    for (const RegFileKey& k : doc.keys) {
        if (k.path.empty() || k.path.front() == '-' || k.path.find_first_of(kUnwritable) != std::string::npos) {
            problem = "the key path \"" + k.path + "\" cannot be written to a registry file";
            return false;
        }
        for (const RegFileValue& v : k.values) {
            if (v.name.find_first_of(kUnwritable) != std::string::npos) {
                problem = "a value name under \"" + k.path + "\" holds a line break and cannot be written";
                return false;
            }
        }
    }
    out = kHeader5;
    out += kCrLf;
    out += kCrLf;
    for (const RegFileKey& k : doc.keys) {
        out += k.remove ? "[-" : "[";
        out += k.path;
        out += "]";
        out += kCrLf;
        for (const RegFileValue& v : k.values)
            AppendValue(out, v);
        out += kCrLf;
    }
    return true;
}

}  // namespace platform
