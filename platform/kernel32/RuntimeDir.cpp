#include "platform/kernel32/RuntimeDir.h"

#include "platform/kernel32/Environment.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// A user id in decimal, as pkexec and sudo write it; false for anything else.
bool ParseUid(const std::string& text, unsigned& uid)
{
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long long v = std::strtoull(text.c_str(), nullptr, 10);
    if (v >= 0xFFFFFFFFull)  // (uid_t)-1 names nobody
        return false;
    uid = static_cast<unsigned>(v);
    return true;
}

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

bool ElevatingUser(unsigned& uid)
{
    if (::geteuid() != 0)
        return false;
    for (const char* name : {"PKEXEC_UID", "SUDO_UID"}) {
        const std::string value = GetEnv(name);
        if (value.empty())
            continue;
        return ParseUid(value, uid) && uid != 0;
    }
    return false;
}

std::vector<std::string> RuntimeDirCandidatesForUser(unsigned uid)
{
    std::vector<std::string> out;
    const auto add = [&out](std::string dir) {
        while (dir.size() > 1 && dir.back() == '/')
            dir.pop_back();
        if (!dir.empty() && std::find(out.begin(), out.end(), dir) == out.end())
            out.push_back(dir);
    };
    add(GetEnv("BRELVO_RUNTIME_DIR"));
    const std::string xdg = GetEnv("XDG_RUNTIME_DIR");
    if (!xdg.empty())
        add(xdg + "/brelvo");
    add("/run/user/" + std::to_string(uid) + "/brelvo");
    add("/tmp/brelvo-" + std::to_string(uid));
    return out;
}

UserRuntimeDir::~UserRuntimeDir()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

DWORD UserRuntimeDir::Adopt(int fd, unsigned uid)
{
    if (fd < 0)
        return errno == ELOOP || errno == ENOTDIR ? ERROR_ACCESS_DENIED : Win32ErrorFromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid || (st.st_mode & 07777) != 0700) {
        ::close(fd);
        return ERROR_ACCESS_DENIED;
    }
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
    m_uid = uid;
    m_identity = {static_cast<unsigned long>(st.st_dev), static_cast<unsigned long>(st.st_ino)};
    return ERROR_SUCCESS;
}

DWORD UserRuntimeDir::Open(const std::string& path, unsigned uid)
{
    return Adopt(::open(path.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), uid);
}

DWORD UserRuntimeDir::OpenSubFolder(const char* name, UserRuntimeDir& sub) const
{
    if (m_fd < 0)
        return ERROR_INVALID_HANDLE;
    return sub.Adopt(::openat(m_fd, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC), m_uid);
}

std::string UserRuntimeDir::Path() const
{
    return "/proc/self/fd/" + std::to_string(m_fd);
}

}  // namespace platform
