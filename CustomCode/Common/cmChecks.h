// Argument and state checks of traced operations, and the failed-call line.
//
// A failed check writes its fixed line, with the condition's own source text,
// whatever the log flags say, and returns from the operation with the named
// code; checks never throw:
//   INVALID ARG: Evaluation of 'szFilePath!=NULL' failed.  Returning E_INVALIDARG.
//   INVALID STATE: Evaluation of 'hr==S_OK' failed.  Returning E_UNEXPECTED.
//
// A system call that failed is reported with the source position, the
// condition that showed the failure, and the thread's last error as a result
// code with its message text (the line ends in an empty line):
//   /path/file.cpp(42): 'INVALID_HANDLE_VALUE == hFile' returned 0x80070005 ('Access is denied.')
#pragma once

#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/WinError.h"

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

// Writes the failed-call line for the thread's last Win32 error and returns
// that error as a result code (0 and negative values stay as they are).
HRESULT cmLogFailedCall(LPCSTR szFile, int nLine, LPCSTR szCondition);
// The same with a result code the caller already has.
HRESULT cmLogFailedResult(LPCSTR szFile, int nLine, LPCSTR szCondition, HRESULT hr);

// The failed-call line for a condition that showed a system call's failure;
// evaluates to the result code.
#define CM_LOG_FAILED_CALL(cond) cmLogFailedCall(__FILE__, __LINE__, #cond)
// The same for a result code the caller already holds; evaluates to it.
#define CM_LOG_FAILED_RESULT(cond, hr) cmLogFailedResult(__FILE__, __LINE__, #cond, (hr))
// Returns the last error as a result code from the operation when cond holds.
#define CM_RETURN_IF_FAILED_CALL(cond)              \
    do {                                            \
        if (cond)                                   \
            return CM_LOG_FAILED_CALL(cond);        \
    } while (0)
