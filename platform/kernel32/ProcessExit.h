// TerminateProcess for the calling process: it ends at once, without running
// exit handlers or static destructors, which makes it safe in a signal
// handler. A Linux exit status has 8 bits: the process ends with the low
// byte of the exit code (0xBAADF00D ends it with 13).
#pragma once

#include "platform/kernel32/WinTypes.h"

// Ends the process behind GetCurrentProcess() and does not return. Any other
// handle fails with ERROR_INVALID_HANDLE: ending another process is not
// something this program does.
BOOL TerminateProcess(HANDLE hProcess, UINT uExitCode);
