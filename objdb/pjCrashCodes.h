// The report number under which a crash is reported through the extension
// library, by the exception code of the fault. Safe in a signal handler.
#pragma once

#include "platform/kernel32/WinTypes.h"

// 301 to 322 for the codes a fault can carry (access violation 301, integer
// divide by zero 313, stack overflow 319, ...); 300 for every other code.
DWORD pjCrashReportNumber(DWORD dwExceptionCode) noexcept;
