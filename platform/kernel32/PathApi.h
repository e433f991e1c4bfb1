// Paths and folders: attribute and existence tests, removing files and empty
// folders, the temporary folder and the working folder.
#pragma once

#include "platform/kernel32/WinTypes.h"

// The separator that joins path elements on this platform.
constexpr char kPathSeparator = '/';

// FILE_ATTRIBUTE_* of the path (links followed), or INVALID_FILE_ATTRIBUTES
// with the last error.
DWORD GetFileAttributesA(LPCSTR lpFileName);
// Whether something exists at the path (a link counts only when its target
// exists).
BOOL PathFileExistsA(LPCSTR pszPath);
// Removes a folder only when it is empty (ERROR_DIR_NOT_EMPTY otherwise).
BOOL RemoveDirectoryA(LPCSTR lpPathName);
// Removes a file (not a folder: ERROR_ACCESS_DENIED, as on Windows).
BOOL DeleteFileA(LPCSTR lpFileName);
// The temporary folder with a trailing separator ($TMPDIR, else /tmp): the
// length copied, or the size needed (terminator included) when the buffer is
// too small; 0 with the last error on failure.
DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);

// The working folder into buffer (maxlen bytes), or null with errno-style
// failure when it does not fit.
char* _getcwd(char* buffer, int maxlen);
// Makes path the working folder: 0, or -1 (with the last error) when it
// cannot be entered.
int _chdir(const char* path);
