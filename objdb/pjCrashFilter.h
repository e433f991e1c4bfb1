// pjCrashFilter: the crash filter around a main-thread delivery of a change.
// While one lives, a fault of its thread (an access violation, a division by
// zero, a stack overflow, ...):
//   1. writes a minidump to the dump file ($BRELVO_DUMP_FILE, by default
//      ${XDG_STATE_HOME:-$HOME/.local/state}/brelvo/Glimmary.dmp);
//   2. maps the fault's exception code to its report number and reports it
//      through the extension library's SealImage, with the faulting
//      instruction's address and the exception address;
//   3. ends the process with the exit code 0xBAADF00D, which Linux carries
//      as its low byte: status 13.
// When no dump can be written, the fault goes on to the action in place
// before (by default the process ends with the signal). A fault outside a
// filter, or on another thread, is not this filter's.
//
// The dump writer and the extension library are prepared when the first
// filter of the process is made; the handler then only uses what is ready.
#pragma once

#include "platform/dbghelp/ExceptionGuard.h"

#include <utility>

class pjCrashFilter {
public:
    // Arms the filter on the calling thread until destruction.
    pjCrashFilter();
    pjCrashFilter(const pjCrashFilter&) = delete;
    pjCrashFilter& operator=(const pjCrashFilter&) = delete;

    // The exit code the process ends with after a report.
    static constexpr UINT kCrashExitCode = 0xBAADF00D;

private:
    platform::ExceptionGuard m_guard;
};

// Runs fn() under the crash filter; its result is fn's.
template <class F>
decltype(auto) pjCallUnderCrashFilter(F&& fn)
{
    pjCrashFilter filter;
    return std::forward<F>(fn)();
}
