// Character rules of cmString's narrow encoding (UTF-8): where characters
// start, how many there are, which are white space. Used by cmString only.
#pragma once

#include "platform/kernel32/WinTypes.h"

namespace cmStringChars {

// Bytes of the character at p (1 for a byte that starts no well-formed
// sequence); avail > 0 bytes are available.
DWORD CharBytes(const char* p, DWORD avail);
DWORD CountChars(const char* p, DWORD cb);
// Byte offset of character nChar, or cb when the text has fewer characters.
DWORD ByteOffset(const char* p, DWORD cb, DWORD nChar);
// Whether the character of n bytes at p is white space as the system's
// character typing sees it (C1_SPACE or C1_BLANK).
bool IsSpace(const char* p, DWORD n);

inline char ToUpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
inline char ToLowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace cmStringChars
