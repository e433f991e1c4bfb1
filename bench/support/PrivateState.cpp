// Every benchmark program runs on a state of its own: a private, empty store,
// log file, runtime folder and dump file, made before any other static object
// (the log subsystems read their switches from the store as they start), and
// handed down to the programs a benchmark starts. A benchmark never reads or
// writes the machine's store, whoever runs it.
#include "platform/kernel32/Environment.h"
#include "platform/linux/TempDirectory.h"

#include <sys/stat.h>

namespace {

struct PrivateState {
    platform::ScopedTempDirectory dir{"bench-state"};
    PrivateState()
    {
        const std::string d = dir.Path();
        SetEnvironmentVariableA("BRELVO_REGISTRY", (d + "/registry.sqlite").c_str());
        SetEnvironmentVariableA("BRELVO_REGISTRY_READONLY", nullptr);
        SetEnvironmentVariableA("BRELVO_LOG_FILE", (d + "/logfile").c_str());
        SetEnvironmentVariableA("BRELVO_DUMP_FILE", (d + "/Glimmary.dmp").c_str());
        SetEnvironmentVariableA("BRELVO_RUNTIME_DIR", (d + "/runtime").c_str());
        // Qt's own runtime folder, for the dialogs the start-up benchmark shows.
        const std::string xdg = d + "/xdg-runtime";
        ::mkdir(xdg.c_str(), 0700);
        SetEnvironmentVariableA("XDG_RUNTIME_DIR", xdg.c_str());
    }
};
__attribute__((init_priority(101))) PrivateState g_state;

}  // namespace
