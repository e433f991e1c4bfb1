#include "platform/dbghelp/SignalException.h"

#include <cstdint>
#include <ucontext.h>

namespace platform {

namespace {

#if !defined(__x86_64__)
#error "the exception context knows the registers of x86-64 only"
#endif

// A memory fault this close to the stack pointer is the stack running out: a
// call or push just below it, or a new frame's first access above it.
constexpr std::uintptr_t kBelowStackPointer = 4096;
constexpr std::uintptr_t kAboveStackPointer = 256 * 1024;

bool AtStackPointer(std::uintptr_t address, std::uintptr_t sp)
{
    return address + kBelowStackPointer >= sp && address < sp + kAboveStackPointer;
}

DWORD FloatingPointCode(int code)
{
    switch (code) {
    case FPE_INTDIV: return EXCEPTION_INT_DIVIDE_BY_ZERO;
    case FPE_INTOVF: return EXCEPTION_INT_OVERFLOW;
    case FPE_FLTDIV: return EXCEPTION_FLT_DIVIDE_BY_ZERO;
    case FPE_FLTOVF: return EXCEPTION_FLT_OVERFLOW;
    case FPE_FLTUND: return EXCEPTION_FLT_UNDERFLOW;
    case FPE_FLTRES: return EXCEPTION_FLT_INEXACT_RESULT;
    case FPE_FLTSUB: return EXCEPTION_ARRAY_BOUNDS_EXCEEDED;
    default: return EXCEPTION_FLT_INVALID_OPERATION;  // FPE_FLTINV and the x87 stack fault
    }
}

DWORD CodeOf(int nSignal, const siginfo_t& info, std::uintptr_t sp)
{
    switch (nSignal) {
    case SIGSEGV:
        return AtStackPointer(reinterpret_cast<std::uintptr_t>(info.si_addr), sp) ? EXCEPTION_STACK_OVERFLOW
                                                                                  : EXCEPTION_ACCESS_VIOLATION;
    case SIGBUS: return info.si_code == BUS_ADRALN ? EXCEPTION_DATATYPE_MISALIGNMENT : EXCEPTION_IN_PAGE_ERROR;
    case SIGFPE: return FloatingPointCode(info.si_code);
    case SIGILL:
        return (info.si_code == ILL_PRVOPC || info.si_code == ILL_PRVREG) ? EXCEPTION_PRIV_INSTRUCTION
                                                                          : EXCEPTION_ILLEGAL_INSTRUCTION;
    case SIGTRAP: return info.si_code == TRAP_TRACE ? EXCEPTION_SINGLE_STEP : EXCEPTION_BREAKPOINT;
    default: return EXCEPTION_NONCONTINUABLE_EXCEPTION;
    }
}

}  // namespace

void ExceptionFromSignal(int nSignal, const siginfo_t& info, const void* pSignalContext, EXCEPTION_RECORD& record,
                         CONTEXT& context) noexcept
{
    const auto* uc = static_cast<const ucontext_t*>(pSignalContext);
    const auto ip = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RIP]);
    const auto sp = static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_RSP]);
    context = CONTEXT{ip, sp, nSignal, info.si_code, pSignalContext};

    record = EXCEPTION_RECORD{};
    record.ExceptionCode = CodeOf(nSignal, info, sp);
    record.ExceptionAddress = info.si_addr;
    if (record.ExceptionCode == EXCEPTION_ACCESS_VIOLATION || record.ExceptionCode == EXCEPTION_IN_PAGE_ERROR) {
        // A page fault's error code: bit 1 a write, bit 4 an instruction fetch.
        constexpr greg_t kPageFault = 14;
        const auto err = uc->uc_mcontext.gregs[REG_TRAPNO] == kPageFault
                             ? static_cast<std::uintptr_t>(uc->uc_mcontext.gregs[REG_ERR])
                             : 0;
        record.NumberParameters = 2;
        record.ExceptionInformation[0] = (err & 0x10) != 0 ? 8 : (err & 0x2) != 0 ? 1 : 0;
        record.ExceptionInformation[1] = reinterpret_cast<ULONG_PTR>(info.si_addr);
    }
}

}  // namespace platform
