// Named file mappings on the paging file (CreateFileMappingA, OpenFileMappingA,
// MapViewOfFile, UnmapViewOfFile), on POSIX shared memory.
//
// A named mapping is the shared-memory object "/brelvo-<uid>-<name>" (a '/'
// in the name becomes '_'). It is created 0600 for this user only, whatever
// security attributes the caller passes, and an existing object is used only
// when it belongs to this user and nobody else may read or write it, so no
// other user can plant or read a block.
//
// Lifetime follows Windows: a mapping exists while some handle or view of it
// is open. Every handle and view holds a shared lock on the object; an object
// found without any holder is a leftover of a process that ended, is removed
// and counts as missing. The names this process created are removed at its
// exit. A child made by fork gets private copies of all views, so it never
// writes into its parent's blocks (handles are not inherited, as on Windows).
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>

constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD PAGE_READWRITE = 0x04;

constexpr DWORD FILE_MAP_WRITE = 0x0002;
constexpr DWORD FILE_MAP_READ = 0x0004;
constexpr DWORD FILE_MAP_ALL_ACCESS = 0x000F001F;

// Opens an existing named mapping; null with ERROR_FILE_NOT_FOUND when there
// is none (or only a leftover), ERROR_ACCESS_DENIED when it is not this user's own.
HANDLE OpenFileMappingA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);

// Creates a mapping of the given size on the paging file (hFile must be
// INVALID_HANDLE_VALUE; anything else fails with ERROR_NOT_SUPPORTED). With a
// name that exists already, that mapping is opened instead and the last error
// is ERROR_ALREADY_EXISTS; otherwise the last error is 0. A null name gives a
// mapping nobody else can open. lpAttributes is accepted and ignored.
HANDLE CreateFileMappingA(HANDLE hFile, void* lpAttributes, DWORD flProtect, DWORD dwMaximumSizeHigh,
                          DWORD dwMaximumSizeLow, LPCSTR lpName);

// Maps a view of the mapping (0 bytes: from the offset to the end). The view
// stays valid after the mapping's handle is closed.
LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                     DWORD dwFileOffsetLow, std::size_t dwNumberOfBytesToMap);

BOOL UnmapViewOfFile(LPCVOID lpBaseAddress);
