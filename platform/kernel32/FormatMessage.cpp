#include "platform/kernel32/FormatMessage.h"

#include "platform/kernel32/CodePage.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/Locale.h"
#include "platform/kernel32/MessageTable.h"
#include "platform/kernel32/WinError.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kMaxInsert = 99;
constexpr int kMaxWidth = 9999;  // widths and precisions have at most four digits

// How an insert's argument is passed.
enum class ArgKind { Unused, Int32, Int64, Pointer };

// One printf conversion of an insert.
struct Conversion {
    char flags[8] = {};  // each of "-+ #0" at most once
    int width = -1;
    int precision = -1;
    char type = 's';       // d i u x X o c s p
    bool wide = false;     // s and c: UTF-16 text
    bool size64 = false;   // integers: 64 bits
    bool sizeShort = false;

    ArgKind Kind() const
    {
        if (type == 's' || type == 'p')
            return ArgKind::Pointer;
        if (type == 'c')
            return ArgKind::Int32;
        return size64 ? ArgKind::Int64 : ArgKind::Int32;
    }
};

// Literal output (a view into the message or a fixed text) or an insert.
struct Token {
    bool isInsert = false;
    std::string_view text;  // the literal, or an insert's source text
    int insert = 0;
    Conversion conv;
};

bool ParseConversion(std::string_view s, Conversion& c)
{
    std::size_t i = 0;
    std::size_t nflags = 0;
    while (i < s.size() && (s[i] == '-' || s[i] == '+' || s[i] == ' ' || s[i] == '#' || s[i] == '0')) {
        if (std::memchr(c.flags, s[i], nflags) == nullptr)
            c.flags[nflags++] = s[i];
        ++i;
    }
    auto number = [&](int& out) -> bool {
        std::size_t start = i;
        int v = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            if (i - start >= 4)
                return false;
            v = v * 10 + (s[i++] - '0');
        }
        out = v;
        return v <= kMaxWidth;
    };
    if (i < s.size() && s[i] >= '0' && s[i] <= '9' && !number(c.width))
        return false;
    if (i < s.size() && s[i] == '.') {
        ++i;
        if (!number(c.precision))
            return false;
    }
    // Size prefix.
    char size = 0;  // 'h', 'l', 'L' (64 bits), 'w'
    const std::string_view rest = s.substr(i);
    if (rest.substr(0, 3) == "I64") {
        size = 'L';
        i += 3;
    } else if (rest.substr(0, 3) == "I32") {
        size = 'l';
        i += 3;
    } else if (rest.substr(0, 2) == "ll") {
        size = 'L';
        i += 2;
    } else if (i < s.size() && s[i] == 'I') {
        size = sizeof(void*) == 8 ? 'L' : 'l';
        ++i;
    } else if (i < s.size() && (s[i] == 'h' || s[i] == 'l' || s[i] == 'w')) {
        size = s[i++];
    }
    if (i + 1 != s.size())
        return false;
    const char t = s[i];
    switch (t) {
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o':
        if (size == 'w')
            return false;
        c.type = t;
        c.size64 = size == 'L';
        c.sizeShort = size == 'h';
        return true;
    case 'c': case 's':
        if (size == 'L')
            return false;
        c.type = t;
        c.wide = size == 'l' || size == 'w';
        return true;
    case 'C': case 'S':
        if (size == 'L')
            return false;
        c.type = static_cast<char>(t - 'A' + 'a');
        c.wide = size != 'h';
        return true;
    case 'p':
        if (size != 0)
            return false;
        c.type = 'p';
        return true;
    default:
        return false;
    }
}

// Splits a message into literal text and inserts. False for a malformed insert.
bool Tokenize(std::string_view msg, bool ignoreInserts, bool noLineBreaks, std::vector<Token>& tokens)
{
    auto literal = [&](std::string_view t) {
        Token tok;
        tok.text = t;
        tokens.push_back(tok);
    };
    std::size_t i = 0;
    const std::size_t n = msg.size();
    while (i < n) {
        const char ch = msg[i];
        if (ch == '\r' || ch == '\n') {
            // A line break of the text itself.
            const std::size_t len = (ch == '\r' && i + 1 < n && msg[i + 1] == '\n') ? 2 : 1;
            literal(noLineBreaks ? std::string_view(" ") : msg.substr(i, len));
            i += len;
            continue;
        }
        if (ch != '%') {
            std::size_t j = i;
            while (j < n && msg[j] != '%' && msg[j] != '\r' && msg[j] != '\n')
                ++j;
            literal(msg.substr(i, j - i));
            i = j;
            continue;
        }
        if (i + 1 >= n) {  // a percent sign at the very end stands for itself
            literal(msg.substr(i, 1));
            break;
        }
        const char e = msg[i + 1];
        if (e == '0')
            return true;  // ends the message
        if (e >= '1' && e <= '9') {
            const std::size_t start = i;
            int num = e - '0';
            i += 2;
            if (i < n && msg[i] >= '0' && msg[i] <= '9')
                num = num * 10 + (msg[i++] - '0');
            Token t;
            t.isInsert = !ignoreInserts;
            t.insert = num;
            if (i < n && msg[i] == '!') {
                const std::size_t close = msg.find('!', i + 1);
                if (close == std::string_view::npos)
                    return false;
                if (!ParseConversion(msg.substr(i + 1, close - i - 1), t.conv))
                    return false;
                i = close + 1;
            }
            t.text = msg.substr(start, i - start);
            tokens.push_back(t);
            continue;
        }
        switch (e) {
        case 'n': literal("\r\n"); break;
        case 'r': literal("\r"); break;
        case 't': literal("\t"); break;
        default: literal(msg.substr(i + 1, 1)); break;
        }
        i += 2;
    }
    return true;
}

// Appends the printf output of a conversion built from validated parts.
void AppendPrintf(std::string& out, const char* format, ...)
{
    char buf[128];
    va_list ap;
    va_start(ap, format);
    const int len = std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    if (len < 0)
        return;
    if (static_cast<std::size_t>(len) < sizeof buf) {
        out.append(buf, static_cast<std::size_t>(len));
        return;
    }
    // Wide fields: format again straight into the output.
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(len) + 1);
    va_start(ap, format);
    std::vsnprintf(out.data() + at, static_cast<std::size_t>(len) + 1, format, ap);
    va_end(ap);
    out.resize(at + static_cast<std::size_t>(len));
}

// "%[flags][width][.precision]" followed by tail, with only the flags that
// printf defines for the conversion.
void BuildConversion(char* format, const Conversion& c, bool withPrecision, const char* tail)
{
    const char* allowed;
    switch (c.type) {
    case 'd': case 'i': allowed = "-+ 0"; break;
    case 'u': allowed = "-0"; break;
    case 'x': case 'X': case 'o': allowed = "-#0"; break;
    default: allowed = "-"; break;  // texts
    }
    char* p = format;
    *p++ = '%';
    for (const char* f = c.flags; *f != '\0'; ++f)
        if (std::strchr(allowed, *f) != nullptr)
            *p++ = *f;
    if (c.width >= 0)
        p += std::snprintf(p, 8, "%d", c.width);
    if (withPrecision && c.precision >= 0)
        p += std::snprintf(p, 8, ".%d", c.precision);
    std::strcpy(p, tail);
}

void AppendInsert(std::string& out, const Conversion& c, std::uint64_t v)
{
    char format[40];
    switch (c.type) {
    case 'd': case 'i': case 'u': case 'x': case 'X': case 'o': {
        char tail[4];
        int k = 0;
        if (c.size64) {
            tail[k++] = 'l';
            tail[k++] = 'l';
        } else if (c.sizeShort) {
            tail[k++] = 'h';
        }
        tail[k++] = c.type;
        tail[k] = '\0';
        BuildConversion(format, c, true, tail);
        const bool isSigned = c.type == 'd' || c.type == 'i';
        if (c.size64 && isSigned)
            AppendPrintf(out, format, static_cast<long long>(v));
        else if (c.size64)
            AppendPrintf(out, format, static_cast<unsigned long long>(v));
        else if (isSigned)
            AppendPrintf(out, format, static_cast<int>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v))));
        else
            AppendPrintf(out, format, static_cast<unsigned int>(static_cast<std::uint32_t>(v)));
        return;
    }
    case 'c': {
        std::string ch;
        if (c.wide) {
            const char16_t u = static_cast<char16_t>(v);
            ch = platform::Utf16ToUtf8(&u, 1);
        } else {
            ch.assign(1, static_cast<char>(v));
        }
        BuildConversion(format, c, false, "s");
        AppendPrintf(out, format, ch.c_str());
        return;
    }
    case 'p': {
        char hex[24];
        std::snprintf(hex, sizeof hex, "%0*llX", static_cast<int>(2 * sizeof(void*)), static_cast<unsigned long long>(v));
        BuildConversion(format, c, false, "s");
        AppendPrintf(out, format, hex);
        return;
    }
    default: {  // 's'
        const void* p = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(v));
        if (p == nullptr || !c.wide) {
            const char* text = p == nullptr ? "(null)" : static_cast<const char*>(p);
            if (c.flags[0] == '\0' && c.width < 0 && c.precision < 0) {
                out.append(text);  // the common plain insert
                return;
            }
            BuildConversion(format, c, true, "s");
            AppendPrintf(out, format, text);
            return;
        }
        // Wide text: the precision counts UTF-16 units.
        const char16_t* w = static_cast<const char16_t*>(p);
        std::size_t len = 0;
        while (w[len] != 0 && (c.precision < 0 || len < static_cast<std::size_t>(c.precision)))
            ++len;
        const std::string narrow = platform::Utf16ToUtf8(w, len);
        BuildConversion(format, c, false, "s");
        AppendPrintf(out, format, narrow.c_str());
        return;
    }
    }
}

// Breaks lines longer than width at their last blank (or hard, when a line
// has none) with "\r\n".
std::string Wrap(const std::string& text, std::size_t width)
{
    std::string out;
    std::size_t lineStart = 0;  // in out
    for (char ch : text) {
        out.push_back(ch);
        if (ch == '\n') {
            lineStart = out.size();
            continue;
        }
        if (out.size() - lineStart > width) {
            const std::size_t blank = out.rfind(' ', out.size() - 2);
            if (blank != std::string::npos && blank >= lineStart) {
                out.replace(blank, 1, "\r\n");
                lineStart = blank + 2;
            } else {
                out.insert(out.size() - 1, "\r\n");
                lineStart = out.size() - 1;
            }
        }
    }
    return out;
}

// Where the argument values come from.
struct Arguments {
    va_list* list = nullptr;
    const DWORD_PTR* array = nullptr;
    DWORD count = 0;
    bool isArray = false;
};

bool IsEnglishOrDefault(DWORD lang)
{
    return lang == 0 || lang == 0x0400 || lang == 0x0800 || PRIMARYLANGID(static_cast<LANGID>(lang)) == LANG_ENGLISH;
}

// The message text for the flags, or false with the Win32 error.
bool GetMessageText(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, std::string& storage,
                    std::string_view& msg, DWORD& error)
{
    if ((dwFlags & FORMAT_MESSAGE_FROM_STRING) != 0) {
        if ((dwFlags & (FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM)) != 0 || lpSource == nullptr) {
            error = ERROR_INVALID_PARAMETER;
            return false;
        }
        msg = static_cast<LPCSTR>(lpSource);
        return true;
    }
    if ((dwFlags & (FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM)) == 0 || dwLanguageId > 0xFFFF) {
        error = ERROR_INVALID_PARAMETER;
        return false;
    }
    error = ERROR_MR_MID_NOT_FOUND;
    if ((dwFlags & FORMAT_MESSAGE_FROM_HMODULE) != 0) {
        HMODULE hModule = static_cast<HMODULE>(const_cast<void*>(lpSource));
        std::u16string wide;
        if (platform::LoadStringTableEntry(hModule, dwMessageId, static_cast<WORD>(dwLanguageId), wide)) {
            storage = platform::Utf16ToUtf8(wide.data(), wide.size());
            msg = storage;
            return true;
        }
        const DWORD e = GetLastError();
        error = (e == ERROR_RESOURCE_NAME_NOT_FOUND) ? ERROR_MR_MID_NOT_FOUND : e;
    }
    if ((dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) != 0) {
        LPCSTR text = platform::FindSystemMessage(dwMessageId);
        if (text == nullptr) {
            error = ERROR_MR_MID_NOT_FOUND;
            return false;
        }
        if (!IsEnglishOrDefault(dwLanguageId)) {
            error = ERROR_RESOURCE_LANG_NOT_FOUND;
            return false;
        }
        msg = text;
        return true;
    }
    return false;
}

DWORD Format(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer, DWORD nSize,
             const Arguments& args)
{
    if ((dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return 0;
    }
    if (lpBuffer == nullptr || nSize == 0 || ((dwFlags & FORMAT_MESSAGE_ARGUMENT_ARRAY) != 0 && !args.isArray)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    lpBuffer[0] = '\0';
    std::string storage;
    std::string_view msg;
    DWORD error = ERROR_SUCCESS;
    if (!GetMessageText(dwFlags, lpSource, dwMessageId, dwLanguageId, storage, msg, error)) {
        SetLastError(error);
        return 0;
    }
    const DWORD width = dwFlags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
    const bool ignoreInserts = (dwFlags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
    std::vector<Token> tokens;
    tokens.reserve(16);
    if (!Tokenize(msg, ignoreInserts, width != 0, tokens)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    // What each insert is, then its value.
    int maxInsert = 0;
    ArgKind kinds[kMaxInsert + 1] = {};
    for (const Token& t : tokens) {
        if (!t.isInsert)
            continue;
        const ArgKind k = t.conv.Kind();
        if (kinds[t.insert] != ArgKind::Unused && kinds[t.insert] != k) {
            SetLastError(ERROR_INVALID_PARAMETER);  // one argument read as two types
            return 0;
        }
        kinds[t.insert] = k;
        if (t.insert > maxInsert)
            maxInsert = t.insert;
    }
    std::uint64_t values[kMaxInsert + 1] = {};
    if (maxInsert > 0) {
        if (args.isArray) {
            if (args.array == nullptr || static_cast<DWORD>(maxInsert) > args.count) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            for (int i = 1; i <= maxInsert; ++i)
                values[i] = args.array[i - 1];
        } else {
            if (args.list == nullptr) {
                SetLastError(ERROR_INVALID_PARAMETER);
                return 0;
            }
            va_list ap;
            va_copy(ap, *args.list);
            for (int i = 1; i <= maxInsert; ++i) {
                switch (kinds[i]) {
                case ArgKind::Int32: values[i] = va_arg(ap, unsigned int); break;
                case ArgKind::Int64: values[i] = va_arg(ap, unsigned long long); break;
                default: values[i] = reinterpret_cast<std::uintptr_t>(va_arg(ap, void*)); break;
                }
            }
            va_end(ap);
        }
    }

    std::string out;
    out.reserve(msg.size() + 64);
    for (const Token& t : tokens) {
        if (t.isInsert)
            AppendInsert(out, t.conv, values[t.insert]);
        else
            out.append(t.text);
    }
    if (width != 0 && width != FORMAT_MESSAGE_MAX_WIDTH_MASK)
        out = Wrap(out, width);

    if (out.size() + 1 > nSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpBuffer, out.data(), out.size());
    lpBuffer[out.size()] = '\0';
    if (out.empty())
        SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(out.size());
}

}  // namespace

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, va_list* Arguments)
{
    ::Arguments args;
    args.list = Arguments;
    return Format(dwFlags, lpSource, dwMessageId, dwLanguageId, lpBuffer, nSize, args);
}

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, const DWORD_PTR* pArguments, DWORD nArguments)
{
    ::Arguments args;
    args.array = pArguments;
    args.count = nArguments;
    args.isArray = true;
    return Format(dwFlags, lpSource, dwMessageId, dwLanguageId, lpBuffer, nSize, args);
}
