// Thread-local storage slots (TlsAlloc, TlsFree, TlsGetValue, TlsSetValue) on
// POSIX thread keys: an index is valid in the whole process, so every module
// that learns it (for example through a cross-module block) reaches the same
// per-thread value. Unlike Windows, TlsGetValue leaves the last error alone,
// so that reading a slot never hides the error of the call before it.
#pragma once

#include "platform/kernel32/WinTypes.h"

constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFFu;

// A new slot, holding null on every thread; TLS_OUT_OF_INDEXES with
// ERROR_NOT_ENOUGH_MEMORY when none is left.
DWORD TlsAlloc();
BOOL TlsFree(DWORD dwTlsIndex);
// The calling thread's value of the slot (null when never set or for a bad index).
LPVOID TlsGetValue(DWORD dwTlsIndex);
BOOL TlsSetValue(DWORD dwTlsIndex, LPVOID lpTlsValue);
