#include "CustomCode/Common/cmStackTrace.h"

#include "platform/dbghelp/StackTrace.h"

#include <cstdio>
#include <string>
#include <vector>

__attribute__((noinline)) cmString cmGetStackTrace(int nMaxFrames, const void* pContext)
{
    std::vector<platform::StackFrame> frames;
    // The walk starts in the platform; its frame and this function's are left out.
    if (!platform::CaptureStackTrace(frames, nMaxFrames, 0, pContext))
        return cmString("No Trace Available.");
    std::string text;
    for (const platform::StackFrame& f : frames) {
        char line[1024];
        std::snprintf(line, sizeof line, "%s(%d): %s+0x%lx(%lx, %lx, %lx, %lx)\n",
                      f.file.empty() ? "(null)" : f.file.c_str(), f.line, f.function.c_str(),
                      static_cast<unsigned long>(f.displacement), static_cast<unsigned long>(f.params[0]),
                      static_cast<unsigned long>(f.params[1]), static_cast<unsigned long>(f.params[2]),
                      static_cast<unsigned long>(f.params[3]));
        text += line;
    }
    return cmString(text.c_str(), static_cast<DWORD>(text.size()));
}
