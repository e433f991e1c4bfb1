// Finding the program that opens a document: FindExecutableA, and
// GetShortPathNameA.
//
// A desktop entry's Exec line is more than a program ("env VAR=1 viewer %f",
// "flatpak run org.example.Viewer %u"): the program that opens a document is
// our opener, brelvo-open, which starts the desktop's default application
// for the document through GIO (platform/shell/DesktopApplication.h). So
// FindExecutableA finds a program exactly when GIO knows an application for
// the document's kind, and gives the opener's path; running it with the
// document opens the document as the desktop would.
#pragma once

#include "platform/kernel32/Resources.h"
#include "platform/kernel32/WinTypes.h"

// FindExecutableA's error results (values of 32 or less).
constexpr int SE_ERR_FNF = 2;       // the document does not exist
constexpr int SE_ERR_PNF = 3;       // the folder does not exist
constexpr int SE_ERR_OOM = 8;
constexpr int SE_ERR_NOASSOC = 31;  // no program opens documents of that kind

// lpFile in lpDirectory (when lpFile is relative and lpDirectory not null):
// the program's path goes to lpResult (MAX_PATH bytes) and the result is a
// value above 32; otherwise lpResult is empty and the result is an error:
// SE_ERR_FNF, SE_ERR_PNF, or SE_ERR_NOASSOC when no application opens it
// (or the opener is not installed).
HINSTANCE FindExecutableA(LPCSTR lpFile, LPCSTR lpDirectory, LPSTR lpResult);

// Linux has no short names: the path as it is, when it exists. The length
// copied, or the size needed when cchBuffer is too small; 0 with the last
// error when the path does not exist.
DWORD GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer);
