// A program with the common library's start-up, for tests that need a fresh
// process: it runs its arguments as commands, in order, and reports on
// standard output.
//   sinks          one line per registered log sink: debugger, memory, file <path>
//   flags          the flags word of each subsystem id
//   print TEXT     TEXT through cmLogPrint
//   trace          a traced call under id 0x100 ("Probe::Run", returns hr 0)
//   keypresent     cmRegistryKey::IsKeyPresent on a key that does not exist
#include "CustomCode/Common/cmDebugSubsystems.h"
#include "CustomCode/Common/cmLog.h"
#include "CustomCode/Common/cmRegistryKey.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <typeinfo>

namespace {

HRESULT ProbeRun()
{
    CM_TRACE_FUNCTION(0x100, "Probe::Run");
    HRESULT hr = S_OK;
    CM_TRACE_RETURN(hr);
}

void ListSinks()
{
    for (DWORD i = 0; i < cmLogGetOutputCount(); ++i) {
        cmLogOutput* o = cmLogGetOutput(i);
        if (dynamic_cast<cmLogOutputDebugString*>(o) != nullptr)
            std::printf("debugger\n");
        else if (dynamic_cast<cmLogToInMemoryStore*>(o) != nullptr)
            std::printf("memory\n");
        else if (auto* f = dynamic_cast<cmLogOutputLogFile*>(o))
            std::printf("file %s\n", f->GetPath().GetText());
        else
            std::printf("other\n");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string cmd = argv[i];
        if (cmd == "sinks") {
            ListSinks();
        } else if (cmd == "flags") {
            std::printf("0x40A=0x%x 0x10=0x%x 0=0x%x 0x11=0x%x 0x100=0x%x\n", cmDebugFlags<0x40A>(),
                        cmDebugFlags<0x10>(), cmDebugFlags<0>(), cmDebugFlags<0x11>(), cmDebugFlags<0x100>());
        } else if (cmd == "print" && i + 1 < argc) {
            cmLogPrint("%s", argv[++i]);
        } else if (cmd == "trace") {
            ProbeRun();
        } else if (cmd == "keypresent") {
            IsKeyPresent(HKEY_LOCAL_MACHINE, "Software\\Brelvo\\NoSuchKey");
        } else {
            std::fprintf(stderr, "debug_probe: unknown command '%s'\n", cmd.c_str());
            return 2;
        }
        std::fflush(stdout);
    }
    return 0;
}
