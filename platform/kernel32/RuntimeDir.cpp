#include "platform/kernel32/RuntimeDir.h"

#include "platform/kernel32/Environment.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {


// mkdir -p with mode 0700 for every folder it has to make.
DWORD MakeFolders(const std::string& path)
{
    if (path.empty())
        return ERROR_PATH_NOT_FOUND;
    std::string::size_type pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string part = path.substr(0, pos);
        if (part.empty())
            continue;
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return Win32ErrorFromErrno(errno);
    }
    return ERROR_SUCCESS;
}

}  // namespace

std::string RuntimeDirPath()
{
    std::string dir = GetEnv("BRELVO_RUNTIME_DIR");
    if (!dir.empty())
        return dir;
    dir = GetEnv("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir + "/brelvo";
    return "/tmp/brelvo-" + std::to_string(::geteuid());
}

DWORD EnsureRuntimeDir(std::string& path)
{
    path = RuntimeDirPath();
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();

    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        if (errno != ENOENT)
            return Win32ErrorFromErrno(errno);
        const DWORD made = MakeFolders(path);
        if (made != ERROR_SUCCESS)
            return made;
        if (::lstat(path.c_str(), &st) != 0)
            return Win32ErrorFromErrno(errno);
    }
    // A symbolic link, a file or somebody else's folder is never used: another
    // user could read or replace what we put there.
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return ERROR_ACCESS_DENIED;
    if ((st.st_mode & 0077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return Win32ErrorFromErrno(errno);
    return ERROR_SUCCESS;
}

}  // namespace platform
