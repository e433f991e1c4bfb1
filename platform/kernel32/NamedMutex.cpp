#include "platform/kernel32/NamedMutex.h"

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/RuntimeDir.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace {

// The file descriptor of one lock file, closed with the object.
class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

class MutexObject : public platform::KernelObject {
public:
    explicit MutexObject(int fd) : m_fd(fd) {}

    // Takes the file lock for the calling thread. False when another open
    // description (another handle, here or in another process) holds it.
    bool TryAcquire()
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_count > 0 && m_owner == GetCurrentThreadId()) {
            ++m_count;
            return true;
        }
        if (m_count > 0)
            return false;
        if (m_fd.get() >= 0) {
            int rc;
            do {
                rc = ::flock(m_fd.get(), LOCK_EX | LOCK_NB);
            } while (rc != 0 && errno == EINTR);
            if (rc != 0)
                return false;
        }
        m_owner = GetCurrentThreadId();
        m_count = 1;
        return true;
    }

    bool Release()
    {
        std::lock_guard<std::mutex> g(m_lock);
        if (m_count == 0 || m_owner != GetCurrentThreadId())
            return false;
        if (--m_count == 0) {
            m_owner = 0;
            if (m_fd.get() >= 0)
                ::flock(m_fd.get(), LOCK_UN);
        }
        return true;
    }

    bool IsHeldElsewhere()
    {
        if (m_fd.get() < 0)
            return false;
        if (::flock(m_fd.get(), LOCK_EX | LOCK_NB) == 0) {
            ::flock(m_fd.get(), LOCK_UN);
            return false;
        }
        return errno == EWOULDBLOCK;
    }

private:
    UniqueFd m_fd;
    std::mutex m_lock;
    DWORD m_owner = 0;
    unsigned m_count = 0;
};

// The lock file's name for a mutex name; empty when the name cannot be one.
std::string LockFileName(std::string name)
{
    for (const char* prefix : {"Global\\", "Local\\"}) {
        const std::string p(prefix);
        if (name.compare(0, p.size(), p) == 0) {
            name.erase(0, p.size());
            break;
        }
    }
    if (name.empty() || name == "." || name == ".." || name.size() > 200)
        return std::string();
    for (char c : name) {
        if (c == '/' || c == '\\' || c == '\0')
            return std::string();
    }
    return name + ".lock";
}

// Opens the lock file of a named mutex; -1 with the last error set on failure.
int OpenLockFile(LPCSTR lpName)
{
    const std::string file = LockFileName(lpName);
    if (file.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return -1;
    }
    std::string dir;
    const DWORD err = platform::EnsureRuntimeDir(dir);
    if (err != ERROR_SUCCESS) {
        SetLastError(err);
        return -1;
    }
    const std::string path = dir + "/" + file;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        SetLastError(Win32ErrorFromErrno(errno));
    return fd;
}

}  // namespace

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL bInitialOwner, LPCSTR lpName)
{
    int fd = -1;
    if (lpName != nullptr) {
        fd = OpenLockFile(lpName);
        if (fd < 0)
            return nullptr;
    }
    auto* mutex = new MutexObject(fd);
    bool exists;
    if (bInitialOwner)
        exists = !mutex->TryAcquire();
    else
        exists = mutex->IsHeldElsewhere();
    HANDLE h = platform::RegisterHandle(mutex);
    SetLastError(exists ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

HANDLE OpenMutexA(DWORD, BOOL, LPCSTR lpName)
{
    if (lpName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const int fd = OpenLockFile(lpName);
    if (fd < 0)
        return nullptr;
    auto* mutex = new MutexObject(fd);
    if (!mutex->IsHeldElsewhere()) {
        delete mutex;
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::RegisterHandle(mutex);
}

BOOL ReleaseMutex(HANDLE hMutex)
{
    auto* mutex = platform::LookupHandleAs<MutexObject>(hMutex);
    if (mutex == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mutex->Release()) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    return TRUE;
}
