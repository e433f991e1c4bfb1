// Path tests of the shell's light-weight utility library: PathFileExistsA.
#pragma once

#include "platform/kernel32/WinTypes.h"

// Whether something exists at the path (a link counts only when its target
// exists).
BOOL PathFileExistsA(LPCSTR pszPath);
