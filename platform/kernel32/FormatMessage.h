// FormatMessageA: message texts with inserts, from a format text, from the
// string table of a module, or from the system's message table.
//
// Inserts are %1 to %99, optionally followed by a printf conversion between
// exclamation marks ("%1!08x!", "%2!s!", "%1!24s!"; without one, "!s!").
// Conversions accepted: flags - + blank # 0, a width and a precision of up to
// four digits, the sizes h, l (32 bits, as on Windows), ll, I64, I32, I
// (pointer size) and w, and the types d i u x X o c C s S p; anything else,
// '*' widths included, fails with ERROR_INVALID_PARAMETER. Escapes: %0 ends
// the output, %n is a hard line break ("\r\n"), %r a carriage return, %t a
// tab, and % before any other character gives that character (%%, %., %!,
// "% "). FORMAT_MESSAGE_MAX_WIDTH_MASK turns the text's own line breaks into
// blanks; a width of 1 to 254 also wraps lines at that width.
//
// Arguments come from a va_list (read in insert order, each as the type its
// conversion names; an insert the text does not use is skipped as a pointer
// sized value) or from an array with its length: an insert beyond the array
// fails with ERROR_INVALID_PARAMETER instead of reading past it. The array
// form is the overload with the count; FORMAT_MESSAGE_ARGUMENT_ARRAY with the
// va_list form fails with ERROR_INVALID_PARAMETER.
//
// FORMAT_MESSAGE_FROM_HMODULE takes the message id from the module's string
// table (a null module: the program's), FORMAT_MESSAGE_FROM_SYSTEM from the
// system table (English; language 0, LANG_USER_DEFAULT, LANG_SYSTEM_DEFAULT
// or any English id). Both set: the module first. FORMAT_MESSAGE_ALLOCATE_BUFFER
// is not offered (ERROR_NOT_SUPPORTED): callers pass a buffer of nSize bytes.
//
// Returns the bytes written without the terminator, or 0 with the last error:
// ERROR_INSUFFICIENT_BUFFER when the text and its terminator do not fit,
// ERROR_MR_MID_NOT_FOUND for an unknown message id, ERROR_RESOURCE_LANG_NOT_FOUND
// for a language the table lacks. An empty result returns 0 with ERROR_SUCCESS.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinTypes.h"

#include <cstdarg>
#include <cstdint>

using DWORD_PTR = std::uintptr_t;

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;
constexpr DWORD FORMAT_MESSAGE_ARGUMENT_ARRAY = 0x00002000;
constexpr DWORD FORMAT_MESSAGE_MAX_WIDTH_MASK = 0x000000FF;

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, va_list* Arguments);

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, const DWORD_PTR* pArguments, DWORD nArguments);
