// Stack walks of the calling thread with symbols, files and lines.
//
// Frames come from the unwinder of the C++ run-time (the call-frame
// information every function carries); names, source files and lines from
// elfutils' libdw (loaded at the first walk) reading the DWARF data of the
// program and of the shared libraries loaded into it. Names are demangled without their parameter lists
// ("CArbiter::FindAndProcessTask").
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct StackFrame {
    std::uintptr_t address = 0;       // the frame's instruction address (a return address above the first)
    std::string function;             // symbol, or the module's file name when the symbol is unknown
    std::uintptr_t displacement = 0;  // from the start of that symbol (or module)
    std::string file;                 // empty when the line table does not cover the address
    int line = 0;
    std::uintptr_t params[4] = {};    // the first four words the caller left on the stack for the call
};

// Walks the stack of the calling thread, from the caller of the function that
// calls this one when context is null (skipFrames frames further up are
// left out), or from the interrupted instruction of a signal handler's
// ucontext_t. At most maxFrames frames (negative: no limit). False when the
// symboliser cannot be started or no frame can be found.
bool CaptureStackTrace(std::vector<StackFrame>& frames, int maxFrames, int skipFrames, const void* context);

}  // namespace platform
