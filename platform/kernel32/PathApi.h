// Paths and folders: attributes, removing files and empty folders, the
// temporary folder. (PathFileExistsA is the shell's: platform/shell/ShellPath.h;
// the working folder is the C run-time's: platform/crt/Direct.h.)
#pragma once

#include "platform/kernel32/WinTypes.h"

// The separator that joins path elements on this platform.
constexpr char kPathSeparator = '/';

// FILE_ATTRIBUTE_* of the path (links followed), or INVALID_FILE_ATTRIBUTES
// with the last error.
DWORD GetFileAttributesA(LPCSTR lpFileName);
// Removes a folder only when it is empty (ERROR_DIR_NOT_EMPTY otherwise).
BOOL RemoveDirectoryA(LPCSTR lpPathName);
// Removes a file (not a folder: ERROR_ACCESS_DENIED, as on Windows).
BOOL DeleteFileA(LPCSTR lpFileName);
// The temporary folder with a trailing separator ($TMPDIR, else /tmp): the
// length copied, or the size needed (terminator included) when the buffer is
// too small; 0 with the last error on failure.
DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);
