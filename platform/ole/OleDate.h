// Calendar times and OLE Automation dates.
//
// An OLE Automation date is a double: whole days since 30 December 1899, the
// fraction the time of day. Before that day the whole part counts back while
// the fraction still counts forward from midnight (-1.25 is 29 December 1899,
// 06:00), as OLE Automation defines it.
#pragma once

#include "platform/kernel32/SystemTime.h"
#include "platform/kernel32/WinTypes.h"

// Converts a calendar time (years 100 to 9999, every field in its range; the
// day of week and milliseconds are not looked at) to an OLE Automation date.
// FALSE for a time outside those ranges, *pvtime unchanged.
INT SystemTimeToVariantTime(const SYSTEMTIME* lpSystemTime, double* pvtime);

// The calendar time of an OLE Automation date, to the nearest second. FALSE
// outside the years 100 to 9999 (and for NaN).
INT VariantTimeToSystemTime(double vtime, SYSTEMTIME* lpSystemTime);
