// Calendar time: SYSTEMTIME and the local time now (GetLocalTime).
#pragma once

#include "platform/kernel32/WinTypes.h"

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};

// The local time now. Tests may fix "now" with SetLocalTimeOverride.
void GetLocalTime(SYSTEMTIME* lpSystemTime);

namespace platform {
// Makes GetLocalTime report the given time, or the real clock again with
// null. For tests of date-dependent decisions; not used by the program.
void SetLocalTimeOverride(const SYSTEMTIME* lpTime);
}  // namespace platform
