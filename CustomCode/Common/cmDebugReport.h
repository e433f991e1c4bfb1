// The statistics report: the timing totals of every log subsystem and every
// traced routine (those registered in the shared debug block), in
// milliseconds, newest registration first:
//
//   Subsystem\t\tRaw User\tRaw Kernel\tCooked User\tCooked Kernel\tRaw Wall\tCooked Wall
//   <name>\t\t<n>\t<n>\t<n>\t<n>\t<n>\t<n>          (one per subsystem)
//   (three empty lines)
//   Routine\tInvocations\tRaw User\tRaw Kernel\tCooked User\tCooked Kernel\tRaw Wall\tCooked Wall
//   <name>\t<calls>\t<n>\t<n>\t<n>\t<n>\t<n>\t<n>   (one per routine)
//
// It is written when a log subsystem whose flags hold both the timing and
// the timing-report bits ends, once per process.
#pragma once

#include "CustomCode/Common/cmString.h"
#include "platform/kernel32/WinError.h"

// The report's text.
cmString cmDebugStatisticsReport();

// Puts the report on the clipboard when the GUI is up, otherwise into the
// text file "statistics.txt" beside the log file (created 0600, never through
// a symbolic link). S_OK, or the Win32 error of the file as a result code.
HRESULT cmDebugWriteStatisticsReport();
