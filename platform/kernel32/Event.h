// Event objects: CreateEventA, OpenEventA, SetEvent, ResetEvent.
//
// An event is an eventfd-backed signal (platform/kernel32/EventCore.h), manual or
// automatic reset, waitable with the calls of platform/kernel32/Wait.h. Named events
// are shared by the threads of one process only: a second CreateEventA of
// the same name (ASCII case kept, "Global\" and "Local\" prefixes ignored)
// opens the same event with ERROR_ALREADY_EXISTS, but another process gets
// an event of its own. PulseEvent is not offered.
#pragma once

#include "platform/kernel32/WinTypes.h"

struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

constexpr DWORD EVENT_MODIFY_STATE = 0x0002;
constexpr DWORD EVENT_ALL_ACCESS = 0x001F0003;

// Last error: 0 for a new event, ERROR_ALREADY_EXISTS (183) when the named
// event existed (its reset policy and state are kept then), or the failure
// with NULL returned.
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName);

// Opens an existing named event of this process; NULL with
// ERROR_FILE_NOT_FOUND when there is none.
HANDLE OpenEventA(DWORD dwDesiredAccess, BOOL bInheritHandle, LPCSTR lpName);

// FALSE with ERROR_INVALID_HANDLE for a handle that is no event.
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);
