// The one way diagnostic lines leave the program: cmLogPrint formats a line
// and hands it to every registered sink, in registration order. With no sink
// registered, lines go nowhere.
//
// Sinks are registered during start-up by the log subsystems
// (cmDebugSupportEx, cmLogStartSubsystem): the sink bits of their flags
// words decide which of the three kinds exist, each at most once. The list
// is changed only while one thread runs (start-up and exit); cmLogPrint takes
// no lock and calls the sinks on the caller's thread.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinError.h"
#include "platform/kernel32/WinTypes.h"

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

// Each line to the debugger output channel (standard error).
class cmLogOutputDebugString : public cmLogOutput {
public:
    void Write(LPCSTR szLine) override;
};

// Each line appended to a file that is opened for that one line: created
// 0600 (with its folder) when missing, never truncated, never written
// through a symbolic link. A line that cannot be written is lost; the next
// one tries again.
class cmLogOutputLogFile : public cmLogOutput {
public:
    // A null or empty path means the default log file (platform/linux/LogFile.h).
    explicit cmLogOutputLogFile(LPCSTR szPath = nullptr);
    void Write(LPCSTR szLine) override;
    const cmString& GetPath() const { return m_szPath; }

private:
    cmString m_szPath;
};

// Each line into the process's ring of the last 500 lines (slot 0 first,
// wrapping to overwrite the oldest).
class cmLogToInMemoryStore : public cmLogOutput {
public:
    static constexpr int kSlots = 500;
    void Write(LPCSTR szLine) override;
    // A copy of the text in one slot (empty when never written).
    static cmString GetStoredLine(int nSlot);
};

// Formats (printf rules, at most 1023 bytes of output), appends "\n" and writes.
void cmLogPrint(LPCSTR szFormat, ...) __attribute__((format(printf, 1, 2)));
// The same without the newline.
void cmLogPrintNoNewline(LPCSTR szFormat, ...) __attribute__((format(printf, 1, 2)));
void cmLogPrintV(LPCSTR szFormat, va_list args, bool bNewline);

// Appends the sink to the list, which then owns it. Null registers the two
// default sinks: a cmLogOutputDebugString, then a cmLogOutputLogFile on the
// default file.
void AddLogOutput(cmLogOutput* pOutput);
// Removes the sink and deletes it; with null, deletes every sink.
void RemoveLogOutput(cmLogOutput* pOutput);

// The registered sinks, in registration order (for diagnostics and tests).
DWORD cmLogGetOutputCount();
cmLogOutput* cmLogGetOutput(DWORD dwIndex);

// Writes every non-empty line of the memory ring, slot 0 to 499, into a file
// created anew. S_OK, or the Win32 error as a result code (after the
// failed-call line).
HRESULT DumpLogStore(LPCSTR szFilePath);

// Start-up of one log subsystem: reads its flags word from the store (value
// szName under the log-level key, created as 0 when missing or unreadable,
// in a program whose cmLogCreatesMissingSwitches says so),
// then registers the sinks its sink bits ask for that no earlier subsystem
// registered: debugger output, memory ring, log file (szLogFile, or the
// default file when null). Returns the flags word.
DWORD cmLogStartSubsystem(LPCSTR szName, LPCSTR szLogFile);

// Whether this program stores 0 for a log subsystem whose switch is missing,
// so that the switch can be found in the store: true unless the program
// defines it otherwise. The companion tools define it as false, so that a
// query or a dump changes nothing in the store they look at.
bool cmLogCreatesMissingSwitches();

// The sink part of the start-up alone: registers, in that order, the
// debugger, memory and file sinks whose bits are in dwFlags and that no
// earlier call asked for.
void cmLogRegisterSinks(DWORD dwFlags, LPCSTR szLogFile);
