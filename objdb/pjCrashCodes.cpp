#include "objdb/pjCrashCodes.h"

#include "platform/dbghelp/Exception.h"

namespace {

struct pjCrashCode {
    DWORD dwExceptionCode;
    DWORD dwReport;
};

constexpr pjCrashCode kCrashCodes[] = {
    {EXCEPTION_ACCESS_VIOLATION, 301},      {EXCEPTION_DATATYPE_MISALIGNMENT, 302},
    {EXCEPTION_BREAKPOINT, 303},            {EXCEPTION_SINGLE_STEP, 304},
    {EXCEPTION_ARRAY_BOUNDS_EXCEEDED, 305}, {EXCEPTION_FLT_DENORMAL_OPERAND, 306},
    {EXCEPTION_FLT_DIVIDE_BY_ZERO, 307},    {EXCEPTION_FLT_INEXACT_RESULT, 308},
    {EXCEPTION_FLT_INVALID_OPERATION, 309}, {EXCEPTION_FLT_OVERFLOW, 310},
    {EXCEPTION_FLT_STACK_CHECK, 311},       {EXCEPTION_FLT_UNDERFLOW, 312},
    {EXCEPTION_INT_DIVIDE_BY_ZERO, 313},    {EXCEPTION_INT_OVERFLOW, 314},
    {EXCEPTION_PRIV_INSTRUCTION, 315},      {EXCEPTION_IN_PAGE_ERROR, 316},
    {EXCEPTION_ILLEGAL_INSTRUCTION, 317},   {EXCEPTION_NONCONTINUABLE_EXCEPTION, 318},
    {EXCEPTION_STACK_OVERFLOW, 319},        {EXCEPTION_INVALID_DISPOSITION, 320},
    {EXCEPTION_GUARD_PAGE, 321},            {EXCEPTION_INVALID_HANDLE, 322},
};

constexpr DWORD kOtherCrash = 300;

}  // namespace

DWORD pjCrashReportNumber(DWORD dwExceptionCode) noexcept
{
    for (const pjCrashCode& code : kCrashCodes) {
        if (code.dwExceptionCode == dwExceptionCode)
            return code.dwReport;
    }
    return kOtherCrash;
}
