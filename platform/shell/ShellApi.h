// Finding the program that opens a document: FindExecutableA over the XDG
// MIME database and desktop entries, and GetShortPathNameA.
//
// The document's MIME type comes from its name (shared-mime-info's globs2
// files in the XDG data folders); its default application from the
// mimeapps.list files (user before system), else from the desktop
// database's mimeinfo.cache; the program is the first word of that desktop
// entry's Exec line, looked up in PATH when it has no slash.
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
// value above 32; otherwise lpResult is empty and the result is an error.
HINSTANCE FindExecutableA(LPCSTR lpFile, LPCSTR lpDirectory, LPSTR lpResult);

// Linux has no short names: the path as it is, when it exists. The length
// copied, or the size needed when cchBuffer is too small; 0 with the last
// error when the path does not exist.
DWORD GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer);
