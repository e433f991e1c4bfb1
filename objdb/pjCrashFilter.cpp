#include "objdb/pjCrashFilter.h"

#include "objdb/pjCrashCodes.h"
#include "objdb/pjExtensionLibrary.h"
#include "platform/dbghelp/MiniDump.h"
#include "platform/kernel32/ProcessExit.h"
#include "platform/kernel32/ThreadHandle.h"
#include "platform/linux/LogFile.h"

#include <cstdint>

namespace {

// What a crash needs, made once per process before any fault.
struct pjCrashReporting {
    platform::MiniDumpWriter dump{platform::DefaultDumpFilePath()};
    pjExtensionLibrary extension;
};

// Never destroyed: a fault may come while static objects are torn down.
pjCrashReporting* CrashReporting()
{
    static pjCrashReporting* const s_pReporting = new pjCrashReporting;
    return s_pReporting;
}

LONG CrashFilter(EXCEPTION_POINTERS* pExceptionInfo, void* pParam)
{
    auto* pReporting = static_cast<pjCrashReporting*>(pParam);
    if (!pReporting->dump.Write(*pExceptionInfo))
        return EXCEPTION_CONTINUE_SEARCH;
    const DWORD dwReport = pjCrashReportNumber(pExceptionInfo->ExceptionRecord->ExceptionCode);
    pReporting->extension.Seal(pExceptionInfo->ContextRecord->InstructionPointer, dwReport,
                               reinterpret_cast<std::uintptr_t>(pExceptionInfo->ExceptionRecord->ExceptionAddress));
    return EXCEPTION_EXECUTE_HANDLER;
}

void CrashHandler(EXCEPTION_POINTERS*, void*) { TerminateProcess(GetCurrentProcess(), pjCrashFilter::kCrashExitCode); }

}  // namespace

pjCrashFilter::pjCrashFilter() : m_guard(&CrashFilter, &CrashHandler, CrashReporting()) {}
