#include "platform/linux/LogFile.h"

#include "platform/kernel32/Environment.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

std::string HomeFolder()
{
    std::string home = GetEnv("HOME");
    if (!home.empty())
        return home;
    std::vector<char> buf(16384);
    struct passwd pw {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found != nullptr && pw.pw_dir)
        return pw.pw_dir;
    return std::string();
}

// Creates the folders of the path's parent that are missing, 0700 each.
void MakeParentFolders(const std::string& path)
{
    const std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0)
        return;
    const std::string parent = path.substr(0, slash);
    struct stat st {};
    if (::stat(parent.c_str(), &st) == 0)
        return;
    std::string::size_type pos = 0;
    while (pos != std::string::npos) {
        pos = parent.find('/', pos + 1);
        const std::string part = parent.substr(0, pos);
        if (!part.empty())
            ::mkdir(part.c_str(), 0700);
    }
}

// Opens without following a final symbolic link and without blocking on a
// FIFO, then insists on a regular file. -1 with errno set on failure.
int OpenRegular(const std::string& path, int flags, MissingFolders folders = MissingFolders::Make)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0 && errno == ENOENT && folders == MissingFolders::Make) {
        MakeParentFolders(path);
        fd = ::open(path.c_str(), flags | O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
    }
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EACCES;
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const char* p, std::size_t left)
{
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = ENOSPC;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// The variable's path, else the file of that name in our state folder.
std::string StateFilePath(const char* variable, const char* fileName)
{
    std::string path = GetEnv(variable);
    if (!path.empty())
        return path;
    std::string state = GetEnv("XDG_STATE_HOME");
    if (state.empty()) {
        const std::string home = HomeFolder();
        if (home.empty())
            return std::string();
        state = home + "/.local/state";
    }
    return state + "/brelvo/" + fileName;
}

}  // namespace

std::string DefaultLogFilePath() { return StateFilePath("BRELVO_LOG_FILE", "logfile"); }

std::string DefaultDumpFilePath() { return StateFilePath("BRELVO_DUMP_FILE", "Glimmary.dmp"); }

bool AppendToLogFile(const std::string& path, const char* data, std::size_t length)
{
    if (path.empty() || data == nullptr)
        return false;
    const int fd = OpenRegular(path, O_APPEND);
    if (fd < 0)
        return false;
    const bool ok = WriteAll(fd, data, length);
    ::close(fd);
    return ok;
}

NewTextFile::~NewTextFile() { Close(); }

DWORD NewTextFile::Create(const std::string& path, MissingFolders folders)
{
    Close();
    if (path.empty())
        return ERROR_PATH_NOT_FOUND;
    m_fd = OpenRegular(path, O_TRUNC, folders);
    if (m_fd >= 0)
        return ERROR_SUCCESS;
    // A missing folder is "path not found", as the file calls report it.
    return errno == ENOENT ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno);
}

DWORD NewTextFile::Write(const void* data, std::size_t length)
{
    if (m_fd < 0)
        return ERROR_INVALID_HANDLE;
    return WriteAll(m_fd, static_cast<const char*>(data), length) ? ERROR_SUCCESS : Win32ErrorFromErrno(errno);
}

void NewTextFile::Close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

}  // namespace platform
