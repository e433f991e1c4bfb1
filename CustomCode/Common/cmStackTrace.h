// Stack traces as text, one line per frame:
//   <file>(<line>): <function>+0x<displacement>(<p1>, <p2>, <p3>, <p4>)
// with the displacement and the first four words the caller left on the
// stack in hexadecimal. "No Trace Available." when the symboliser cannot work.
#pragma once

#include "CustomCode/Common/cmString.h"

// The trace of the caller's stack, starting with the caller's own frame (or
// of the interrupted code of a signal handler's context, a ucontext_t), at
// most nMaxFrames frames (-1: no limit).
cmString cmGetStackTrace(int nMaxFrames = -1, const void* pContext = nullptr);
