// Environment variables of the process.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>

// Copies the variable's value into lpBuffer (nSize bytes) and returns its
// length; when the buffer is too small, returns the size needed including the
// terminator. 0 with ERROR_ENVVAR_NOT_FOUND when the variable is not set.
DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);
// Sets the variable, or removes it when lpValue is null.
BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue);

namespace platform {
// The variable's value, or the empty text when it is not set.
std::string GetEnv(const char* name);
}  // namespace platform
