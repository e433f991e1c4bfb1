// brelvo-reg: value types, the data as reg query shows it, and /d DATA.
#include "platform/advapi32/RegistryStore.h"
#include "tools/brelvo-reg/RegTool.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace brelvoreg {

namespace {

struct TypeEntry {
    DWORD type;
    const char* name;
    bool settable;  // accepted by add /t
};

const TypeEntry kTypes[] = {
    {REG_NONE, "REG_NONE", true},
    {REG_SZ, "REG_SZ", true},
    {REG_EXPAND_SZ, "REG_EXPAND_SZ", true},
    {REG_BINARY, "REG_BINARY", true},
    {REG_DWORD, "REG_DWORD", true},
    {REG_DWORD_BIG_ENDIAN, "REG_DWORD_BIG_ENDIAN", true},
    {REG_LINK, "REG_LINK", false},
    {REG_MULTI_SZ, "REG_MULTI_SZ", true},
    {REG_RESOURCE_LIST, "REG_RESOURCE_LIST", false},
    {REG_FULL_RESOURCE_DESCRIPTOR, "REG_FULL_RESOURCE_DESCRIPTOR", false},
    {REG_RESOURCE_REQUIREMENTS_LIST, "REG_RESOURCE_REQUIREMENTS_LIST", false},
    {REG_QWORD, "REG_QWORD", true},
};

std::string Hex(const std::vector<BYTE>& d)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(d.size() * 2);
    for (BYTE b : d) {
        out += digits[b >> 4];
        out += digits[b & 0xF];
    }
    return out;
}

std::string TextUpToNul(const std::vector<BYTE>& d)
{
    std::string s(d.begin(), d.end());
    const std::size_t nul = s.find('\0');
    return nul == std::string::npos ? s : s.substr(0, nul);
}

std::uint64_t Number(const std::vector<BYTE>& d, bool bigEndian)
{
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const std::size_t k = bigEndian ? i : d.size() - 1 - i;
        v = (v << 8) | d[k];
    }
    return v;
}

// A decimal or 0x-prefixed hexadecimal number no larger than max.
bool ParseNumber(const std::string& text, std::uint64_t max, std::uint64_t& out)
{
    if (text.empty() || text[0] == '-' || text[0] == '+' || text[0] == ' ')
        return false;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    errno = 0;
    char* end = nullptr;
    const unsigned long long v = std::strtoull(text.c_str() + (hex ? 2 : 0), &end, hex ? 16 : 10);
    if (errno != 0 || end == nullptr || *end != '\0' || end == text.c_str() + (hex ? 2 : 0) || v > max)
        return false;
    out = v;
    return true;
}

void AppendLittleEndian(std::vector<BYTE>& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<BYTE>(v >> (8 * i)));
}

}  // namespace

std::string TypeName(DWORD type)
{
    for (const TypeEntry& t : kTypes)
        if (t.type == type)
            return t.name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%x", static_cast<unsigned>(type));
    return buf;
}

bool TypeFromName(const std::string& name, DWORD& type)
{
    const std::string folded = platform::FoldRegistryName(name);
    for (const TypeEntry& t : kTypes) {
        if (t.settable && folded == t.name) {
            type = t.type;
            return true;
        }
    }
    return false;
}

std::string DisplayData(const ValueItem& v)
{
    switch (v.type) {
    case REG_SZ:
    case REG_EXPAND_SZ: return TextUpToNul(v.data);
    case REG_MULTI_SZ: {
        // The strings joined with a literal \0, the final terminators left out.
        std::string all(v.data.begin(), v.data.end());
        while (!all.empty() && all.back() == '\0')
            all.pop_back();
        std::string out;
        for (char c : all)
            out += (c == '\0') ? std::string("\\0") : std::string(1, c);
        return out;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
        const std::size_t width = v.type == REG_QWORD ? 8 : 4;
        if (v.data.size() != width)
            return Hex(v.data);
        char buf[24];
        std::snprintf(buf, sizeof buf, "0x%llx",
                      static_cast<unsigned long long>(Number(v.data, v.type == REG_DWORD_BIG_ENDIAN)));
        return buf;
    }
    default: return Hex(v.data);
    }
}

bool DataFromText(DWORD type, const std::string& text, const std::string& separator, std::vector<BYTE>& out,
                  std::string& reason)
{
    out.clear();
    switch (type) {
    case REG_SZ:
    case REG_EXPAND_SZ:
        out.assign(text.begin(), text.end());
        out.push_back(0);
        return true;
    case REG_MULTI_SZ: {
        // Strings separated by the separator character, or by a literal \0.
        std::vector<std::string> parts;
        std::string cur;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const bool cut = separator.empty() ? (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '0')
                                               : text[i] == separator[0];
            if (cut) {
                parts.push_back(cur);
                cur.clear();
                if (separator.empty())
                    ++i;
            } else {
                cur += text[i];
            }
        }
        if (!text.empty())
            parts.push_back(cur);
        for (const std::string& p : parts) {
            if (p.empty()) {
                reason = "REG_MULTI_SZ data cannot hold an empty string";
                return false;
            }
            out.insert(out.end(), p.begin(), p.end());
            out.push_back(0);
        }
        out.push_back(0);
        return true;
    }
    case REG_DWORD:
    case REG_DWORD_BIG_ENDIAN:
    case REG_QWORD: {
        std::uint64_t v = 0;
        const bool wide = type == REG_QWORD;
        if (!text.empty() && !ParseNumber(text, wide ? UINT64_MAX : 0xFFFFFFFFull, v)) {
            reason = std::string(wide ? "REG_QWORD" : "REG_DWORD") +
                     " data must be a decimal or 0x-prefixed hexadecimal number that fits in " +
                     (wide ? "64" : "32") + " bits";
            return false;
        }
        if (type == REG_DWORD_BIG_ENDIAN)
            v = ((v & 0xFF) << 24) | ((v & 0xFF00) << 8) | ((v >> 8) & 0xFF00) | ((v >> 24) & 0xFF);
        AppendLittleEndian(out, v, wide ? 8 : 4);
        return true;
    }
    default: {
        // REG_BINARY and REG_NONE: hexadecimal digits, two per byte.
        if (text.size() % 2 != 0) {
            reason = "binary data must have an even number of hexadecimal digits";
            return false;
        }
        for (std::size_t i = 0; i < text.size(); i += 2) {
            const std::string pair = text.substr(i, 2);
            char* end = nullptr;
            const unsigned long b = std::strtoul(pair.c_str(), &end, 16);
            if (end != pair.c_str() + 2 || pair[0] == '+' || pair[0] == '-' || pair[0] == ' ') {
                reason = "binary data must be hexadecimal digits";
                return false;
            }
            out.push_back(static_cast<BYTE>(b));
        }
        return true;
    }
    }
}

}  // namespace brelvoreg
