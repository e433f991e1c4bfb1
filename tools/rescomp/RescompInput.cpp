#include "tools/rescomp/RescompInput.h"

#include "tools/rescomp/RescompDialog.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace rescomp {
namespace {

std::string Where(const std::string& path, int line) { return path + ":" + std::to_string(line) + ": "; }

bool ReadFile(const std::string& path, std::string& content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    content = ss.str();
    return !in.bad();
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void SkipBlanks(const std::string& s, std::size_t& i)
{
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t'))
        ++i;
}

bool ParseNumber(const std::string& word, unsigned long max, unsigned long& value)
{
    if (word.empty() || word.size() > 10)
        return false;
    value = 0;
    for (char c : word) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned long>(c - '0');
    }
    return value <= max;
}

bool ParseName(const std::string& word, ResKey& key)
{
    unsigned long v = 0;
    if (ParseNumber(word, 0xFFFF, v)) {
        key.isText = false;
        key.id = static_cast<std::uint16_t>(v);
        return true;
    }
    if (word.empty() || !(std::isalpha(static_cast<unsigned char>(word[0])) || word[0] == '_'))
        return false;
    key.isText = true;
    key.text.clear();
    for (char c : word) {
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '_'))
            return false;
        key.text.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
    return true;
}

bool ParseType(const std::string& word, ResKey& key, std::string& what)
{
    static const std::map<std::string, std::uint16_t> kTypes = {
        {"RT_CURSOR", 1},       {"RT_BITMAP", 2},     {"RT_ICON", 3},     {"RT_MENU", 4},
        {"RT_DIALOG", 5},       {"RT_STRING", 6},     {"RT_FONTDIR", 7},  {"RT_FONT", 8},
        {"RT_ACCELERATOR", 9},  {"RT_RCDATA", 10},    {"RT_MESSAGETABLE", 11}, {"RT_GROUP_CURSOR", 12},
        {"RT_GROUP_ICON", 14},  {"RT_VERSION", 16},   {"RT_HTML", 23},    {"RT_MANIFEST", 24},
    };
    if (word.compare(0, 3, "RT_") == 0) {
        auto it = kTypes.find(word);
        if (it == kTypes.end()) {
            what = "unknown resource type " + word;
            return false;
        }
        key.isText = false;
        key.id = it->second;
    } else if (!ParseName(word, key)) {
        what = "bad resource type " + word;
        return false;
    }
    if (!key.isText && key.id == 6) {
        what = "string tables come from the strings/ files, not the manifest";
        return false;
    }
    return true;
}

std::vector<std::string> Words(const std::string& line, std::size_t count, std::string& rest)
{
    std::vector<std::string> words;
    std::size_t i = 0;
    while (words.size() < count) {
        SkipBlanks(line, i);
        std::size_t j = i;
        while (j < line.size() && line[j] != ' ' && line[j] != '\t')
            ++j;
        if (j == i)
            break;
        words.push_back(line.substr(i, j - i));
        i = j;
    }
    SkipBlanks(line, i);
    rest = line.substr(i);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
        rest.pop_back();
    return words;
}

std::vector<std::string> Lines(const std::string& content)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace

// Strict UTF-8 to UTF-16; false on any malformed sequence.
bool ToUtf16(const std::string& s, std::u16string& out)
{
    out.clear();
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char b = static_cast<unsigned char>(s[i]);
        char32_t c;
        std::size_t n;
        if (b < 0x80) {
            c = b;
            n = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            c = b & 0x1F;
            n = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            c = b & 0x0F;
            n = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            c = b & 0x07;
            n = 4;
        } else {
            return false;
        }
        if (i + n > s.size())
            return false;
        for (std::size_t k = 1; k < n; ++k) {
            const unsigned char t = static_cast<unsigned char>(s[i + k]);
            if ((t & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (t & 0x3F);
        }
        if ((n == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (n == 4 && (c < 0x10000 || c > 0x10FFFF)))
            return false;
        if (c < 0x10000) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        }
        i += n;
    }
    return true;
}

// One quoted piece starting at s[i] == '"'; i ends after the closing quote.
bool ReadQuoted(const std::string& s, std::size_t& i, std::string& out, std::string& what)
{
    ++i;
    while (i < s.size()) {
        const char c = s[i++];
        if (c == '"')
            return true;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i >= s.size())
            break;
        const char e = s[i++];
        switch (e) {
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'a': out.push_back('\a'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'v': out.push_back('\v'); break;
        case '0': out.push_back('\0'); break;
        case '\\': case '"': case '\'': out.push_back(e); break;
        case 'x': {
            if (i + 2 > s.size() || HexValue(s[i]) < 0 || HexValue(s[i + 1]) < 0) {
                what = "\\x needs two hexadecimal digits";
                return false;
            }
            out.push_back(static_cast<char>(HexValue(s[i]) * 16 + HexValue(s[i + 1])));
            i += 2;
            break;
        }
        case 'u': case 'U': {
            const std::size_t digits = e == 'u' ? 4 : 8;
            if (i + digits > s.size()) {
                what = std::string("\\") + e + " needs " + std::to_string(digits) + " hexadecimal digits";
                return false;
            }
            char32_t c32 = 0;
            for (std::size_t k = 0; k < digits; ++k) {
                const int h = HexValue(s[i + k]);
                if (h < 0) {
                    what = std::string("\\") + e + " needs " + std::to_string(digits) + " hexadecimal digits";
                    return false;
                }
                c32 = c32 * 16 + static_cast<char32_t>(h);
            }
            i += digits;
            if (c32 == 0 || c32 > 0x10FFFF || (c32 >= 0xD800 && c32 <= 0xDFFF)) {
                what = "escape names no character";
                return false;
            }
            AppendUtf8(out, c32);
            break;
        }
        default:
            what = std::string("unknown escape \\") + e;
            return false;
        }
    }
    what = "text is not closed by a quote";
    return false;
}

bool ReadStringTable(const std::string& path, StringTable& table, std::string& error)
{
    const std::string stem = std::filesystem::path(path).stem().string();
    unsigned long lang = 0;
    if (!ParseNumber(stem, 0xFFFF, lang) || lang == 0) {
        error = path + ": the file name must be the language id, for example 1033.txt";
        return false;
    }
    table.language = static_cast<std::uint16_t>(lang);
    std::string content;
    if (!ReadFile(path, content)) {
        error = path + ": cannot be read";
        return false;
    }
    // An entry is complete when the next entry, a blank or comment line, or
    // the end of the file comes; until then quoted lines continue it.
    bool pending = false;
    unsigned long id = 0;
    int idLine = 0;
    std::string text;
    auto finish = [&]() -> bool {
        if (!pending)
            return true;
        pending = false;
        std::u16string wide;
        if (!ToUtf16(text, wide)) {
            error = Where(path, idLine) + "text is not valid UTF-8";
            return false;
        }
        if (wide.empty()) {
            error = Where(path, idLine) + "empty text (an empty entry reads as missing)";
            return false;
        }
        if (wide.size() > 0xFFFF) {
            error = Where(path, idLine) + "text longer than 65535 UTF-16 units";
            return false;
        }
        if (!table.entries.emplace(static_cast<std::uint16_t>(id), wide).second) {
            error = Where(path, idLine) + "string id " + std::to_string(id) + " appears twice";
            return false;
        }
        return true;
    };
    int lineNo = 0;
    for (const std::string& line : Lines(content)) {
        ++lineNo;
        std::size_t i = 0;
        SkipBlanks(line, i);
        if (i == line.size() || line[i] == '#') {
            if (!finish())
                return false;
            continue;
        }
        const bool continuation = line[i] == '"';
        if (continuation) {
            if (!pending) {
                error = Where(path, lineNo) + "a continued text must follow its entry directly";
                return false;
            }
        } else {
            if (!finish())
                return false;
            std::size_t j = i;
            while (j < line.size() && line[j] >= '0' && line[j] <= '9')
                ++j;
            if (!ParseNumber(line.substr(i, j - i), 0xFFFF, id)) {
                error = Where(path, lineNo) + "a line starts with a string id from 0 to 65535";
                return false;
            }
            i = j;
            if (i == line.size() || (line[i] != ' ' && line[i] != '\t')) {
                error = Where(path, lineNo) + "expected a quoted text after the id";
                return false;
            }
            pending = true;
            idLine = lineNo;
            text.clear();
        }
        bool pieces = false;
        for (;;) {
            SkipBlanks(line, i);
            if (i == line.size() || line[i] == '#')
                break;
            if (line[i] != '"') {
                error = Where(path, lineNo) + "expected a quoted text";
                return false;
            }
            std::string what;
            if (!ReadQuoted(line, i, text, what)) {
                error = Where(path, lineNo) + what;
                return false;
            }
            pieces = true;
        }
        if (!pieces) {
            error = Where(path, lineNo) + "expected a quoted text after the id";
            return false;
        }
    }
    return finish();
}

bool ReadManifest(const std::string& path, std::vector<Resource>& resources, std::vector<std::string>& inputs,
                  std::string& error)
{
    std::string content;
    if (!ReadFile(path, content)) {
        error = path + ": cannot be read";
        return false;
    }
    const std::filesystem::path base = std::filesystem::absolute(path).parent_path();
    int lineNo = 0;
    for (const std::string& line : Lines(content)) {
        ++lineNo;
        std::size_t i = 0;
        SkipBlanks(line, i);
        if (i == line.size() || line[i] == '#')
            continue;
        std::string rest;
        std::vector<std::string> kind = Words(line, 1, rest);
        Resource r;
        r.origin = Where(path, lineNo);
        std::vector<std::string> w;
        bool bitmap = false;
        bool dialog = false;
        if (kind[0] == "file") {
            w = Words(rest, 3, rest);
            if (w.size() != 3 || rest.empty()) {
                error = r.origin + "expected: file TYPE NAME LANGUAGE PATH";
                return false;
            }
            std::string what;
            if (!ParseType(w[0], r.type, what)) {
                error = r.origin + what;
                return false;
            }
            w.erase(w.begin());
        } else if (kind[0] == "bitmap") {
            w = Words(rest, 2, rest);
            if (w.size() != 2 || rest.empty()) {
                error = r.origin + "expected: bitmap NAME LANGUAGE PATH";
                return false;
            }
            r.type.id = 2;
            bitmap = true;
        } else if (kind[0] == "dialog") {
            w = Words(rest, 2, rest);
            if (w.size() != 2 || rest.empty()) {
                error = r.origin + "expected: dialog NAME LANGUAGE PATH";
                return false;
            }
            r.type.id = 5;
            dialog = true;
        } else {
            error = r.origin + "unknown kind " + kind[0] + " (file, bitmap or dialog)";
            return false;
        }
        unsigned long lang = 0;
        if (!ParseName(w[0], r.name)) {
            error = r.origin + "bad resource name " + w[0];
            return false;
        }
        if (!ParseNumber(w[1], 0xFFFF, lang)) {
            error = r.origin + "bad language " + w[1];
            return false;
        }
        r.language = static_cast<std::uint16_t>(lang);
        if (rest.size() >= 2 && rest.front() == '"' && rest.back() == '"')
            rest = rest.substr(1, rest.size() - 2);
        const std::string file = (base / rest).lexically_normal().string();
        std::string bytes;
        if (!ReadFile(file, bytes)) {
            error = r.origin + file + " cannot be read";
            return false;
        }
        inputs.push_back(file);
        if (bitmap) {
            if (bytes.size() < 14 || bytes[0] != 'B' || bytes[1] != 'M') {
                error = r.origin + file + " is not a .bmp file";
                return false;
            }
            bytes.erase(0, 14);
        }
        if (dialog) {
            std::vector<std::uint8_t> compiled;
            if (!CompileDialog(bytes, file, compiled, error))
                return false;
            bytes.assign(compiled.begin(), compiled.end());
        }
        if (bytes.size() > 0xFFFFFFFFull) {
            error = r.origin + file + " is too large";
            return false;
        }
        r.data.assign(bytes.begin(), bytes.end());
        for (const Resource& other : resources) {
            if (other.type == r.type && other.name == r.name && other.language == r.language) {
                error = r.origin + "the same type, name and language as " + other.origin;
                return false;
            }
        }
        resources.push_back(std::move(r));
    }
    return true;
}

std::vector<Resource> BuildStringBlocks(const StringTable& table)
{
    std::map<unsigned, std::vector<const std::u16string*>> blocks;
    for (const auto& [id, text] : table.entries) {
        auto& slots = blocks[id / 16u + 1u];
        slots.resize(16, nullptr);
        slots[id % 16u] = &text;
    }
    std::vector<Resource> out;
    for (const auto& [block, slots] : blocks) {
        Resource r;
        r.type.id = 6;
        r.name.id = static_cast<std::uint16_t>(block);
        r.language = table.language;
        for (const std::u16string* s : slots) {
            const std::size_t n = s != nullptr ? s->size() : 0;
            r.data.push_back(static_cast<std::uint8_t>(n & 0xFF));
            r.data.push_back(static_cast<std::uint8_t>(n >> 8));
            for (std::size_t k = 0; k < n; ++k) {
                r.data.push_back(static_cast<std::uint8_t>((*s)[k] & 0xFF));
                r.data.push_back(static_cast<std::uint8_t>((*s)[k] >> 8));
            }
        }
        out.push_back(std::move(r));
    }
    return out;
}

}  // namespace rescomp
