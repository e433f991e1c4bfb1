// One of the program's own plug-in modules, loaded from a file at run time
// (dlopen). The module resolves the program's functions from the program
// itself, which exports them. A loaded module stays loaded until the process
// ends: a GUI toolkit leaves exit handlers behind that must stay callable.
// Functions bind at first call (the libraries a module brings along have far
// more of them than it uses); a module linked with -z now binds its own at
// load, so that one missing from the program fails Open. Code that will run
// where the dynamic linker must not (a signal handler) is opened with
// Binding::AtLoad.
#pragma once

#include <string>

namespace platform {

class SharedModule {
public:
    SharedModule() = default;
    ~SharedModule();
    SharedModule(const SharedModule&) = delete;
    SharedModule& operator=(const SharedModule&) = delete;

    enum class Binding { AtFirstCall, AtLoad };

    // False with Error() telling why.
    bool Open(const std::string& path, Binding binding = Binding::AtFirstCall);
    // The address of the exported symbol, or null.
    void* Symbol(const char* name) const;
    // Points entry at the exported function of that name; false when there is none.
    template <class Function>
    bool Resolve(Function& entry, const char* name) const
    {
        entry = reinterpret_cast<Function>(Symbol(name));
        return entry != nullptr;
    }
    bool IsOpen() const { return m_handle != nullptr; }
    const std::string& Error() const { return m_error; }

private:
    void* m_handle = nullptr;
    std::string m_error;
};

// The running program's file, as an absolute path.
std::string ExecutablePath();

// The folder of the running program's file (no trailing separator).
std::string ExecutableFolder();

}  // namespace platform
