#include "CustomCode/Common/cmStringChars.h"

#include "platform/kernel32/CodePage.h"

namespace cmStringChars {

DWORD CharBytes(const char* p, DWORD avail)
{
    const std::size_t n = platform::Utf8SequenceLength(reinterpret_cast<const unsigned char*>(p), avail);
    return n == 0 ? 1 : static_cast<DWORD>(n);
}

DWORD CountChars(const char* p, DWORD cb)
{
    DWORD count = 0;
    DWORD i = 0;
    while (i < cb) {
        // ASCII runs are the common case.
        if (static_cast<unsigned char>(p[i]) < 0x80)
            ++i;
        else
            i += CharBytes(p + i, cb - i);
        ++count;
    }
    return count;
}

DWORD ByteOffset(const char* p, DWORD cb, DWORD nChar)
{
    DWORD i = 0;
    for (DWORD c = 0; c < nChar && i < cb; ++c)
        i += static_cast<unsigned char>(p[i]) < 0x80 ? 1 : CharBytes(p + i, cb - i);
    return i;
}

bool IsSpace(const char* p, DWORD n)
{
    const unsigned char* u = reinterpret_cast<const unsigned char*>(p);
    if (n == 1)
        return u[0] == ' ' || (u[0] >= 0x09 && u[0] <= 0x0D);
    char32_t c;
    if (n == 2)
        c = (static_cast<char32_t>(u[0] & 0x1F) << 6) | (u[1] & 0x3F);
    else if (n == 3)
        c = (static_cast<char32_t>(u[0] & 0x0F) << 12) | (static_cast<char32_t>(u[1] & 0x3F) << 6) | (u[2] & 0x3F);
    else
        return false;  // nothing above U+FFFF is white space
    return c == 0x85 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
           c == 0x202F || c == 0x205F || c == 0x3000;
}

}  // namespace cmStringChars
