// Named mutexes shared by all processes of the user's session.
//
// A named mutex is an exclusive flock on "<runtime dir>/<name>.lock". The lock
// is held while a handle owns the mutex, and the kernel drops it when the
// owning process dies, as Windows abandons a dead owner's mutex. On this
// platform a named mutex exists exactly while some handle owns it: creating
// one that another handle owns answers ERROR_ALREADY_EXISTS (183) with a
// handle that does not own it. Ownership belongs to the creating thread and
// counts recursively, as on Windows. The prefixes "Global\" and "Local\" name
// the same session-wide mutex.
#pragma once

#include "platform/kernel32/WinTypes.h"

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

constexpr DWORD SYNCHRONIZE = 0x00100000;
constexpr DWORD MUTEX_ALL_ACCESS = 0x001F0001;

// Creates or opens the mutex. Last error: 0 for a new mutex, 183 when it
// exists, or the failure (NULL is returned then): 123 for a name that cannot
// be a file name, 5 when the runtime directory is refused.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner, LPCSTR lpName);

// Opens a mutex that exists (is owned somewhere) without taking it; NULL with
// ERROR_FILE_NOT_FOUND when nobody owns it.
HANDLE OpenMutexA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);

// Gives up one level of ownership; FALSE with ERROR_NOT_OWNER when the calling
// thread does not own the mutex.
BOOL ReleaseMutex(HANDLE hMutex);
