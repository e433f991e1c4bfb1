// Language identifiers and the system's default language. On Linux the
// system default language is the Windows language id of the process locale
// for messages: the first non-empty of LC_ALL, LC_MESSAGES and LANG, looked up
// in a table of locale names ("de_DE", "pt_BR.UTF-8", "zh_TW@..."). A name
// with only a language ("de") gives that language with its default
// sub-language; "C", "POSIX", unset and unknown names give 1033. Tests set the
// variables to choose the default language of their process.
#pragma once

#include "platform/kernel32/WinTypes.h"

constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SUBLANG_SYS_DEFAULT = 0x02;

constexpr LANGID MAKELANGID(WORD primary, WORD sub) { return static_cast<LANGID>((sub << 10) | primary); }
constexpr WORD PRIMARYLANGID(LANGID lang) { return static_cast<WORD>(lang & 0x3FF); }
constexpr WORD SUBLANGID(LANGID lang) { return static_cast<WORD>(lang >> 10); }

constexpr LANGID LANG_ENGLISH_US = 0x0409;  // 1033

// Read from the environment at every call, so a change takes effect at once.
LANGID GetSystemDefaultLangID();
// The same source: a Linux session has one locale for both.
LANGID GetUserDefaultLangID();

namespace platform {

// The language id of one locale name, 1033 when the name is not known.
LANGID LangIdFromLocaleName(const char* szLocale);

}  // namespace platform
