// Text in a Windows code page (1252, 1251, 932, ...) turned into UTF-8, as
// MultiByteToWideChar would read it. Code page 1252 is decoded from a table of
// our own; every other code page goes through iconv. A code page iconv cannot
// open is read as 1252, so a decoder always decodes something.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

class CodePageDecoder {
public:
    explicit CodePageDecoder(unsigned codePage);
    ~CodePageDecoder();
    CodePageDecoder(const CodePageDecoder&) = delete;
    CodePageDecoder& operator=(const CodePageDecoder&) = delete;

    // The code page actually decoded: the one asked for, or 1252 after the
    // fallback.
    unsigned CodePage() const { return m_codePage; }

    // Appends the UTF-8 of the n bytes at p to out. Bytes that are not text
    // of the code page (a lone lead byte, an undefined byte) become U+FFFD;
    // nothing is carried over from one call to the next.
    void AppendUtf8(const std::uint8_t* p, std::size_t n, std::string& out) const;

private:
    unsigned m_codePage;
    void* m_iconv = nullptr;  // iconv_t; null for the built-in 1252 table
};

// One-off decoding with a decoder of that code page.
std::string DecodeCodePage(unsigned codePage, const std::uint8_t* p, std::size_t n);

}  // namespace platform
