// OutputDebugStringA: the debugger output channel, which is standard error here.
#pragma once

#include "platform/kernel32/WinTypes.h"

// Writes the text as it is (no newline added). Never fails the caller.
void OutputDebugStringA(LPCSTR lpOutputString);
