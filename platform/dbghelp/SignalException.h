// The exception record and context of a fault signal (see ExceptionGuard.h
// for which signal gives which code). Safe in a signal handler.
#pragma once

#include "platform/dbghelp/Exception.h"

#include <csignal>

namespace platform {

// Fills record and context from what the kernel handed the signal handler.
void ExceptionFromSignal(int nSignal, const siginfo_t& info, const void* pSignalContext, EXCEPTION_RECORD& record,
                         CONTEXT& context) noexcept;

}  // namespace platform
