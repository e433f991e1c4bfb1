// The one way diagnostic lines leave the program: cmLogPrint formats a line
// and hands it to every registered sink, in registration order. With no sink
// registered, lines go nowhere.
#pragma once

#include "platform/WinTypes.h"

#include <cstdarg>

// A log sink. Write receives one line, already ending in a newline.
class cmLogOutput {
public:
    cmLogOutput() = default;
    cmLogOutput(const cmLogOutput&) = delete;
    cmLogOutput& operator=(const cmLogOutput&) = delete;
    virtual void Write(LPCSTR szLine) = 0;
    virtual ~cmLogOutput() = default;
};

// Formats (printf rules, at most 1023 bytes of output), appends "\n" and writes.
void cmLogPrint(LPCSTR szFormat, ...) __attribute__((format(printf, 1, 2)));
// The same without the newline.
void cmLogPrintNoNewline(LPCSTR szFormat, ...) __attribute__((format(printf, 1, 2)));
void cmLogPrintV(LPCSTR szFormat, va_list args, bool bNewline);

// Appends the sink to the list, which then owns it.
void AddLogOutput(cmLogOutput* pOutput);
// Removes the sink and deletes it; with null, deletes every sink.
void RemoveLogOutput(cmLogOutput* pOutput);
