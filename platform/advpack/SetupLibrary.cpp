#include "platform/advpack/SetupLibrary.h"

#include "platform/kernel32/DynamicLibrary.h"
#include "platform/kernel32/LastError.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// An open folder descriptor, closed with the object.
class DirFd {
public:
    explicit DirFd(int fd) : m_fd(fd) {}
    DirFd(const DirFd&) = delete;
    DirFd& operator=(const DirFd&) = delete;
    ~DirFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

// The names in the folder, without "." and "..".
bool ReadNames(int dirFd, std::vector<std::string>& names)
{
    const int dup = ::fcntl(dirFd, F_DUPFD_CLOEXEC, 0);
    if (dup < 0)
        return false;
    DIR* dir = ::fdopendir(dup);
    if (dir == nullptr) {
        ::close(dup);
        return false;
    }
    ::rewinddir(dir);
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    const bool ok = errno == 0;
    ::closedir(dir);
    return ok;
}

// Removes everything inside the open folder. Each entry is examined without
// following links and sub-folders are opened with O_NOFOLLOW, so a link
// (also one swapped in while deleting) is unlinked, never entered. Returns
// false when something could not be removed; the rest is removed all the same.
bool EmptyFolder(int dirFd, int& lastErrno)
{
    std::vector<std::string> names;
    bool ok = ReadNames(dirFd, names);
    if (!ok)
        lastErrno = errno;
    for (const std::string& name : names) {
        struct stat st {};
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT) {
                lastErrno = errno;
                ok = false;
            }
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            DirFd sub(::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (sub.Get() < 0) {
                lastErrno = errno;
                ok = false;
            } else if (!EmptyFolder(sub.Get(), lastErrno)) {
                ok = false;
            }
            if (::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0) {
                lastErrno = errno;
                ok = false;
            }
        } else if (::unlinkat(dirFd, name.c_str(), 0) != 0 && errno != ENOENT) {
            lastErrno = errno;
            ok = false;
        }
    }
    return ok;
}

// An empty path, a relative one, and one that names the root folder (however
// spelt: "/", "//", "/tmp/..") are never deleted.
bool IsDeletablePath(const char* path)
{
    if (path == nullptr || path[0] != '/')
        return false;
    const std::filesystem::path normal = std::filesystem::path(path).lexically_normal();
    return normal != normal.root_path();
}

}  // namespace

HRESULT DelNode(LPCSTR pszFileOrDirName, DWORD dwFlags)
{
    if (dwFlags != ADN_DEFAULT || !IsDeletablePath(pszFileOrDirName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return E_INVALIDARG;
    }
    struct stat st {};
    if (::lstat(pszFileOrDirName, &st) != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return E_FAIL;
    }
    int lastErrno = 0;
    if (S_ISDIR(st.st_mode)) {
        DirFd dir(::open(pszFileOrDirName, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (dir.Get() < 0)
            lastErrno = errno;
        else
            EmptyFolder(dir.Get(), lastErrno);
        if (::rmdir(pszFileOrDirName) != 0 && lastErrno == 0)
            lastErrno = errno;
    } else if (::unlink(pszFileOrDirName) != 0) {
        lastErrno = errno;
    }
    struct stat after {};
    if (::lstat(pszFileOrDirName, &after) == 0) {
        SetLastError(Win32ErrorFromErrno(lastErrno != 0 ? lastErrno : EEXIST));
        return E_FAIL;
    }
    SetLastError(ERROR_SUCCESS);
    return S_OK;
}

namespace {

// "advpack.dll" as LoadLibraryA finds it.
const platform::BuiltInEntry kAdvpackEntries[] = {
    {"DelNode", reinterpret_cast<FARPROC>(&DelNode)},
};
const platform::BuiltInLibrary kAdvpack("advpack", kAdvpackEntries, sizeof kAdvpackEntries / sizeof kAdvpackEntries[0]);

}  // namespace
