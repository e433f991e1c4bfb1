#include "platform/kernel32/SharedModule.h"

#include <climits>
#include <dlfcn.h>
#include <unistd.h>

namespace platform {

SharedModule::~SharedModule() = default;  // never dlclose'd: see the header

bool SharedModule::Open(const std::string& path, Binding binding)
{
    if (m_handle != nullptr)
        return true;
    m_handle = ::dlopen(path.c_str(), (binding == Binding::AtLoad ? RTLD_NOW : RTLD_LAZY) | RTLD_LOCAL);
    if (m_handle == nullptr) {
        const char* why = ::dlerror();
        m_error = why != nullptr ? why : "cannot load " + path;
        return false;
    }
    return true;
}

void* SharedModule::Symbol(const char* name) const
{
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

std::string ExecutablePath()
{
    char buf[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
}

std::string ExecutableFolder()
{
    const std::string path = ExecutablePath();
    if (path.empty())
        return ".";
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace platform
