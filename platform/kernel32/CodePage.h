// Code pages and the conversions between narrow and wide text. The narrow
// encoding is UTF-8 everywhere, so every ANSI code page selector (CP_ACP,
// CP_THREAD_ACP, CP_OEMCP, CP_UTF8) converts between UTF-8 and UTF-16.
// Wide text is UTF-16 in char16_t units.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <string>

using WCHAR = char16_t;
using LPWSTR = char16_t*;
using LPCWSTR = const char16_t*;

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_MACCP = 2;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

constexpr DWORD MB_ERR_INVALID_CHARS = 0x00000008;
constexpr DWORD WC_ERR_INVALID_CHARS = 0x00000080;


// The process's ANSI code page: always CP_UTF8.
UINT GetACP();

// Windows rules: a source length of -1 means "up to and including the
// terminator"; a destination size of 0 asks for the size needed; a too small
// destination gives 0 with ERROR_INSUFFICIENT_BUFFER. Undecodable input
// becomes U+FFFD (or, narrow, lpDefaultChar's first byte when given) unless
// the *_ERR_INVALID_CHARS flag asks for ERROR_NO_UNICODE_TRANSLATION.
int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCSTR lpMultiByteStr, int cbMultiByte,
                        LPWSTR lpWideCharStr, int cchWideChar);
int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWSTR lpWideCharStr, int cchWideChar,
                        LPSTR lpMultiByteStr, int cbMultiByte, LPCSTR lpDefaultChar, BOOL* lpUsedDefaultChar);

namespace platform {

// Appends the code point c as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// Length in bytes of the well-formed UTF-8 sequence at p (at most avail
// bytes are looked at), or 0 when the bytes there are not one.
std::size_t Utf8SequenceLength(const unsigned char* p, std::size_t avail);
// Whether the n bytes at p are well-formed UTF-8 throughout.
bool IsUtf8(const void* p, std::size_t n);

// Whole-text conversions; undecodable input becomes U+FFFD. bInvalid, when
// given, tells whether that happened.
std::u16string Utf8ToUtf16(const char* p, std::size_t cb, bool* bInvalid = nullptr);
std::string Utf16ToUtf8(const char16_t* p, std::size_t cch, bool* bInvalid = nullptr);

}  // namespace platform
