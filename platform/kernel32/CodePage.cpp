#include "platform/kernel32/CodePage.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cstring>
#include <limits>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsAnsiCodePage(UINT cp)
{
    return cp == CP_ACP || cp == CP_OEMCP || cp == CP_MACCP || cp == CP_THREAD_ACP || cp == CP_UTF8;
}

void AppendUtf16(std::u16string& out, char32_t c)
{
    if (c < 0x10000) {
        out.push_back(static_cast<char16_t>(c));
    } else {
        c -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    }
}

char32_t DecodeUtf8(const unsigned char* p, std::size_t n)
{
    switch (n) {
    case 1: return p[0];
    case 2: return (static_cast<char32_t>(p[0] & 0x1F) << 6) | (p[1] & 0x3F);
    case 3: return (static_cast<char32_t>(p[0] & 0x0F) << 12) | (static_cast<char32_t>(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
    default:
        return (static_cast<char32_t>(p[0] & 0x07) << 18) | (static_cast<char32_t>(p[1] & 0x3F) << 12) |
               (static_cast<char32_t>(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
    }
}

// Copies a converted text into a caller's buffer with the Windows size rules.
template <class Ch>
int Deliver(const std::basic_string<Ch>& text, Ch* dest, int cchDest)
{
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const int need = static_cast<int>(text.size());
    if (cchDest == 0)
        return need;
    if (need > cchDest) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (need != 0)
        std::memcpy(dest, text.data(), text.size() * sizeof(Ch));
    return need;
}

}  // namespace

UINT GetACP() { return CP_UTF8; }

namespace platform {

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


bool IsUtf8(const void* p, std::size_t n)
{
    const auto* u = static_cast<const unsigned char*>(p);
    for (std::size_t i = 0; i < n;) {
        const std::size_t length = Utf8SequenceLength(u + i, n - i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t avail)
{
    if (avail == 0)
        return 0;
    const unsigned char b = p[0];
    if (b < 0x80)
        return 1;
    std::size_t n;
    unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0)
            lo = 0xA0;  // no overlong forms
        else if (b == 0xED)
            hi = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0)
            lo = 0x90;
        else if (b == 0xF4)
            hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (avail < n)
        return 0;
    if (p[1] < lo || p[1] > hi)
        return 0;
    for (std::size_t i = 2; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return n;
}

std::u16string Utf8ToUtf16(const char* p, std::size_t cb, bool* bInvalid)
{
    std::u16string out;
    out.reserve(cb);
    bool invalid = false;
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    std::size_t i = 0;
    while (i < cb) {
        const std::size_t n = Utf8SequenceLength(u + i, cb - i);
        if (n == 0) {
            invalid = true;
            out.push_back(static_cast<char16_t>(kReplacement));
            ++i;
            continue;
        }
        AppendUtf16(out, DecodeUtf8(u + i, n));
        i += n;
    }
    if (bInvalid != nullptr)
        *bInvalid = invalid;
    return out;
}

std::string Utf16ToUtf8(const char16_t* p, std::size_t cch, bool* bInvalid)
{
    std::string out;
    out.reserve(cch);
    bool invalid = false;
    std::size_t i = 0;
    while (i < cch) {
        char32_t c = p[i++];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i < cch && p[i] >= 0xDC00 && p[i] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (p[i] - 0xDC00);
                ++i;
            } else {
                invalid = true;
                c = kReplacement;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            invalid = true;
            c = kReplacement;
        }
        AppendUtf8(out, c);
    }
    if (bInvalid != nullptr)
        *bInvalid = invalid;
    return out;
}

}  // namespace platform

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar)
{
    if (!IsAnsiCodePage(CodePage) || lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 ||
        cchWideChar < 0 || (cchWideChar > 0 && lpWideCharStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::size_t cb =
        cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    bool invalid = false;
    std::u16string wide = platform::Utf8ToUtf16(lpMultiByteStr, cb, &invalid);
    if (invalid && (dwFlags & MB_ERR_INVALID_CHARS) != 0) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    return Deliver(wide, lpWideCharStr, cchWideChar);
}

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar)
{
    if (!IsAnsiCodePage(CodePage) || lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 ||
        cbMultiByte < 0 || (cbMultiByte > 0 && lpMultiByteStr == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::size_t cch;
    if (cchWideChar == -1) {
        cch = 0;
        while (lpWideCharStr[cch] != 0)
            ++cch;
        ++cch;  // the terminator is converted too
    } else {
        cch = static_cast<std::size_t>(cchWideChar);
    }
    bool invalid = false;
    std::string narrow;
    if (lpDefaultChar != nullptr && *lpDefaultChar != '\0') {
        // Convert piecewise so that only the unconvertible units take the default.
        std::size_t i = 0;
        while (i < cch) {
            std::size_t n = 1;
            const char16_t c = lpWideCharStr[i];
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < cch && lpWideCharStr[i + 1] >= 0xDC00 &&
                lpWideCharStr[i + 1] <= 0xDFFF)
                n = 2;
            bool bad = false;
            std::string piece = platform::Utf16ToUtf8(lpWideCharStr + i, n, &bad);
            if (bad) {
                invalid = true;
                narrow.push_back(*lpDefaultChar);
            } else {
                narrow += piece;
            }
            i += n;
        }
    } else {
        narrow = platform::Utf16ToUtf8(lpWideCharStr, cch, &invalid);
    }
    if (invalid && (dwFlags & WC_ERR_INVALID_CHARS) != 0) {
        SetLastError(ERROR_NO_UNICODE_TRANSLATION);
        return 0;
    }
    if (lpUsedDefaultChar != nullptr)
        *lpUsedDefaultChar = invalid ? TRUE : FALSE;
    return Deliver(narrow, lpMultiByteStr, cbMultiByte);
}
