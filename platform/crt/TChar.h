// The narrow forms of the generic text routines the code is written with.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>

// The length of a text in bytes; 0 for a null pointer instead of a crash.
std::size_t _tcslen(LPCSTR sz);
