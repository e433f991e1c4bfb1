// Files through KERNEL32-shaped calls: CreateFileA, ReadFile, WriteFile,
// SetFilePointer and GetFileSize on file descriptors behind HANDLE values
// (closed with CloseHandle, platform/kernel32/KernelObject.h).
//
// What differs from Windows: share modes are accepted and not enforced (POSIX
// has no mandatory sharing), attributes and flags other than the creation
// disposition are ignored, and there is no overlapped I/O (an OVERLAPPED
// pointer is refused with ERROR_INVALID_PARAMETER). Created files get mode
// 0666 less the umask. Folders cannot be opened (ERROR_ACCESS_DENIED, as
// without FILE_FLAG_BACKUP_SEMANTICS).
#pragma once

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/WinTypes.h"

using LPDWORD = DWORD*;
using PLONG = LONG*;

constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD GENERIC_WRITE = 0x40000000u;

constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;

constexpr DWORD CREATE_NEW = 1;
constexpr DWORD CREATE_ALWAYS = 2;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD OPEN_ALWAYS = 4;
constexpr DWORD TRUNCATE_EXISTING = 5;

constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;

constexpr DWORD FILE_BEGIN = 0;
constexpr DWORD FILE_CURRENT = 1;
constexpr DWORD FILE_END = 2;

constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

// Opens or creates a file; INVALID_HANDLE_VALUE with the last error set on
// failure (ERROR_FILE_NOT_FOUND, ERROR_PATH_NOT_FOUND, ERROR_FILE_EXISTS for
// CREATE_NEW, ERROR_ACCESS_DENIED, ERROR_INVALID_PARAMETER for a bad
// disposition or no access). Only regular files open: a folder, FIFO,
// socket or device (also behind a symbolic link) gives ERROR_ACCESS_DENIED,
// and opening never waits for the other end of a FIFO. CREATE_ALWAYS and OPEN_ALWAYS on an existing
// file succeed with the last error ERROR_ALREADY_EXISTS, else 0.
HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode, void* lpSecurityAttributes,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE hTemplateFile);

// Reads up to nNumberOfBytesToRead bytes at the file position; fewer only at
// the end of the file (0 there, with TRUE). ERROR_ACCESS_DENIED on a handle
// opened without GENERIC_READ.
BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              void* lpOverlapped);

// Writes all the bytes at the file position, or fails (ERROR_DISK_FULL, ...)
// with the count of those written. ERROR_ACCESS_DENIED without GENERIC_WRITE.
BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               void* lpOverlapped);

// Moves the file position; returns its low 32 bits (and the high ones through
// lpDistanceToMoveHigh, which also supplies the high half of the distance).
// INVALID_SET_FILE_POINTER with ERROR_NEGATIVE_SEEK before the start; on
// success the last error is 0.
DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod);

// The file's size, low 32 bits (high ones through lpFileSizeHigh); on
// failure INVALID_FILE_SIZE with the last error set; on success the last error is 0.
DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh);
