// Argument and state checks of traced operations. A failed check writes its
// fixed line, with the condition's own source text, whatever the log flags
// say, and returns from the operation with the named code:
//   INVALID ARG: Evaluation of 'szFilePath!=NULL' failed.  Returning E_INVALIDARG.
//   INVALID STATE: Evaluation of 'hr==S_OK' failed.  Returning E_UNEXPECTED.
#pragma once

#include "CustomCode/Common/cmLog.h"
#include "platform/WinError.h"

#define CM_CHECK_ARG(cond)                                                                   \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            cmLogPrint("%s", "INVALID ARG: Evaluation of '" #cond "' failed.  Returning E_INVALIDARG."); \
            return E_INVALIDARG;                                                             \
        }                                                                                    \
    } while (0)

#define CM_CHECK_STATE(cond)                                                                 \
    do {                                                                                     \
        if (!(cond)) {                                                                       \
            cmLogPrint("%s", "INVALID STATE: Evaluation of '" #cond "' failed.  Returning E_UNEXPECTED."); \
            return E_UNEXPECTED;                                                             \
        }                                                                                    \
    } while (0)
