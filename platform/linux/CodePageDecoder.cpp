#include "platform/linux/CodePageDecoder.h"

#include <cerrno>
#include <iconv.h>
#include <string>

namespace platform {

namespace {

constexpr unsigned kWestern = 1252;
constexpr char32_t kReplacement = 0xFFFD;

// 0x80..0x9F of code page 1252; the five bytes it leaves undefined read as
// the C1 controls of the same value, as Windows reads them. Every other byte
// is its Latin-1 code point.
constexpr char16_t kWestern80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendCodePoint(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string IconvName(unsigned codePage)
{
    if (codePage == 65001)
        return "UTF-8";
    return "CP" + std::to_string(codePage);
}

}  // namespace

CodePageDecoder::CodePageDecoder(unsigned codePage) : m_codePage(codePage)
{
    if (codePage == kWestern)
        return;
    iconv_t cd = iconv_open("UTF-8", IconvName(codePage).c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        m_codePage = kWestern;
        return;
    }
    m_iconv = cd;
}

CodePageDecoder::~CodePageDecoder()
{
    if (m_iconv != nullptr)
        iconv_close(static_cast<iconv_t>(m_iconv));
}

void CodePageDecoder::AppendUtf8(const std::uint8_t* p, std::size_t n, std::string& out) const
{
    if (m_iconv == nullptr) {
        for (std::size_t i = 0; i < n; ++i)
            AppendCodePoint(out, p[i] >= 0x80 && p[i] < 0xA0 ? kWestern80[p[i] - 0x80] : p[i]);
        return;
    }
    const auto cd = static_cast<iconv_t>(m_iconv);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a fresh shift state for every text
    char* in = const_cast<char*>(reinterpret_cast<const char*>(p));
    std::size_t inLeft = n;
    char buffer[512];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t r = iconv(cd, &in, &inLeft, &o, &outLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (r != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // An undefined byte, or a lead byte without its trail byte: one
        // replacement character for the byte, then on with the next one.
        AppendCodePoint(out, kReplacement);
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    // Converters that hold a character back to combine it with the next
    // (1258's) give it up now.
    char* o = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &o, &outLeft);
    out.append(buffer, static_cast<std::size_t>(o - buffer));
}

std::string DecodeCodePage(unsigned codePage, const std::uint8_t* p, std::size_t n)
{
    std::string out;
    CodePageDecoder(codePage).AppendUtf8(p, n, out);
    return out;
}

}  // namespace platform
