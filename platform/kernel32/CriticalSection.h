// Critical sections: recursive locks for the threads of one process.
//
// InitializeCriticalSection must come before any other call and
// DeleteCriticalSection last. A thread may enter a section it holds again
// and must leave it as often. Leaving a section the calling thread does not
// hold does nothing (on Windows it corrupts the section).
#pragma once

#include "platform/kernel32/WinTypes.h"

struct CRITICAL_SECTION {
    void* impl;  // owned by the calls below
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION lpCriticalSection, DWORD dwSpinCount);
void EnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
// TRUE when the calling thread now holds the section (also again).
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void LeaveCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
void DeleteCriticalSection(LPCRITICAL_SECTION lpCriticalSection);
