// Finding files: FindFirstFileA, FindNextFileA, FindClose, and the file-time
// calls that their records need (FileTimeToSystemTime, CompareFileTime,
// GetSystemTime).
//
// The last component of the search path may hold the wildcards '*' and '?'
// ("*.*" matches every name, as on Windows, also names without a dot).
// Matching is byte-wise and case-sensitive, as the file system is. "." and
// ".." are reported like any entry, as Windows does; callers skip dot names.
// A symbolic link is reported as the link itself (never as the folder it
// points to), so a recursive walk never leaves the tree it started in.
#pragma once

#include "platform/kernel32/SystemTime.h"
#include "platform/kernel32/ThreadTimes.h"
#include "platform/kernel32/WinTypes.h"

constexpr DWORD MAX_PATH = 260;

constexpr DWORD FILE_ATTRIBUTE_READONLY = 0x1;
constexpr DWORD FILE_ATTRIBUTE_HIDDEN = 0x2;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};

// The first entry matching lpFileName, and a search handle for the rest
// (closed with FindClose). INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND
// when nothing matches, ERROR_PATH_NOT_FOUND when the folder is missing,
// ERROR_INVALID_NAME when the name does not fit the record.
HANDLE FindFirstFileA(LPCSTR lpFileName, WIN32_FIND_DATAA* lpFindFileData);
// FALSE with ERROR_NO_MORE_FILES at the end.
BOOL FindNextFileA(HANDLE hFindFile, WIN32_FIND_DATAA* lpFindFileData);
BOOL FindClose(HANDLE hFindFile);

// 100-ns units since 1 January 1601 (UTC) to a calendar time; FALSE for
// times after the year 30827.
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime);
// -1, 0 or 1 as the first time is earlier, equal or later.
LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);
// The current time in UTC.
void GetSystemTime(SYSTEMTIME* lpSystemTime);
