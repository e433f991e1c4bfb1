#include "ui/CGuiModule.h"

#include "CustomCode/Common/cmLog.h"
#include "platform/kernel32/Environment.h"
#include "platform/kernel32/SharedModule.h"

#include <string>
#include <vector>

namespace {

constexpr const char* kModuleName = "NotifierQt.so";

// The module and its toolkit, for the life of the process: a toolkit once
// started cannot be unloaded.
struct LoadedModule {
    platform::SharedModule module;
    IGuiToolkit* toolkit = nullptr;
    bool tried = false;
    bool started = false;
    bool reported = false;
};

LoadedModule& State()
{
    static LoadedModule state;
    return state;
}

std::vector<std::string> Candidates()
{
    char buf[4096];
    const DWORD n = GetEnvironmentVariableA("BRELVO_GUI_MODULE", buf, sizeof buf);
    if (n > 0 && n < sizeof buf)
        return {std::string(buf, n)};
    const std::string here = platform::ExecutableFolder();
    // Beside the program (the build tree), one folder up (the test programs),
    // and the installed layout <prefix>/bin + <prefix>/lib/notifier.
    return {here + "/" + kModuleName, here + "/../" + kModuleName, here + "/../lib/notifier/" + kModuleName};
}

}  // namespace

IGuiToolkit* CGuiModule::Toolkit()
{
    LoadedModule& s = State();
    if (!s.tried) {
        s.tried = true;
        std::string errors;
        for (const std::string& path : Candidates()) {
            if (s.module.Open(path))
                break;
            errors += " " + s.module.Error();
        }
        if (!s.module.IsOpen()) {
            cmLogPrint("CGuiModule: the GUI module cannot be loaded:%s\n", errors.c_str());
            return nullptr;
        }
        auto entry = reinterpret_cast<NotifierGuiToolkitEntry>(s.module.Symbol(NOTIFIER_GUI_TOOLKIT_ENTRY));
        s.toolkit = entry != nullptr ? entry() : nullptr;
        if (s.toolkit == nullptr) {
            cmLogPrint("CGuiModule: the GUI module has no toolkit\n");
            return nullptr;
        }
    }
    // A display that was missing may have come since: each dialog asks again.
    if (!s.started && s.toolkit != nullptr) {
        s.started = s.toolkit->Start();
        if (!s.started && !s.reported) {
            s.reported = true;
            cmLogPrint("CGuiModule: no display can be reached; dialogs cannot be shown\n");
        }
    }
    return s.started ? s.toolkit : nullptr;
}

bool CGuiModule::IsLoaded()
{
    return State().module.IsOpen();
}
