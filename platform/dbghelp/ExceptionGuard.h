// ExceptionGuard: an exception filter around a stretch of code on the calling
// thread, where Windows code writes
//     __try { ... } __except (filter(GetExceptionInformation())) { handler }
//
// On Linux a fault is a signal. While a guard lives, a fault of the thread
// that made it (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP raised by an
// instruction) becomes an exception record with the Windows code it stands
// for:
//   SIGSEGV  access violation; a stack overflow when the address is at the
//            stack pointer (the handler runs on an alternate signal stack
//            that the guard gives the thread, so an exhausted stack still
//            gets its filter)
//   SIGBUS   misaligned data (BUS_ADRALN), else an in-page error
//   SIGFPE   integer divide by zero and overflow, and the floating-point
//            codes for divide by zero, overflow, underflow, inexact result,
//            invalid operation and subscript out of range
//   SIGILL   privileged instruction (ILL_PRVOPC, ILL_PRVREG), else illegal
//            instruction
//   SIGTRAP  single step (TRAP_TRACE), else breakpoint
// The filters run, innermost guard first, in the signal handler, with the
// faulting thread's registers. The first that answers
// EXCEPTION_EXECUTE_HANDLER gets its handler run, which is meant to end the
// process (TerminateProcess). When every filter answers
// EXCEPTION_CONTINUE_SEARCH, or a handler returns, the fault goes on,
// unchanged, to the action that was in place before the guards: a handler
// of the program's is called, the default action ends the process (with a
// core dump where the system makes one).
//
// Filters and handlers run in a signal handler: they may only do what is
// safe there (no allocation, no locks), with what was prepared beforehand.
//
// Not ours, and passed on the same way: faults of threads without a guard,
// and signals that a process sent (kill, raise). The signal actions are
// installed when the first guard of the process is made and put back when the
// last one ends, so a fault outside every guard never sees them.
//
// A guard belongs to the thread that made it and must end on that thread;
// guards nest.
#pragma once

#include "platform/dbghelp/Exception.h"

#include <utility>

namespace platform {

using PEXCEPTION_FILTER = LONG (*)(EXCEPTION_POINTERS* pExceptionInfo, void* pParam);
using PEXCEPTION_HANDLER = void (*)(EXCEPTION_POINTERS* pExceptionInfo, void* pParam);

class ExceptionGuard {
public:
    ExceptionGuard(PEXCEPTION_FILTER pFilter, PEXCEPTION_HANDLER pHandler, void* pParam);
    ~ExceptionGuard();
    ExceptionGuard(const ExceptionGuard&) = delete;
    ExceptionGuard& operator=(const ExceptionGuard&) = delete;

    // The signal handler's way in (it has the signal's own types).
    static void Dispatch(int nSignal, void* pSignalInfo, void* pSignalContext);

private:
    PEXCEPTION_FILTER m_pFilter;
    PEXCEPTION_HANDLER m_pHandler;
    void* m_pParam;
    ExceptionGuard* m_pOuter;  // the guard this one is nested in, on this thread
    bool m_bAltStack = false;  // this guard gave the thread its alternate signal stack
    alignas(8) unsigned char m_previousStack[32];  // the thread's stack_t before that
};

// Runs fn() under a guard with the filter and handler; its result is fn's.
template <class F>
decltype(auto) CallUnderExceptionFilter(PEXCEPTION_FILTER pFilter, PEXCEPTION_HANDLER pHandler, void* pParam, F&& fn)
{
    ExceptionGuard guard(pFilter, pHandler, pParam);
    return std::forward<F>(fn)();
}

}  // namespace platform
