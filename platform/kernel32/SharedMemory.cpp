#include "platform/kernel32/SharedMemory.h"

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pthread.h>
#include <string>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr DWORD kErrorInvalidAddress = 487;

class MappingObject : public platform::KernelObject {
public:
    MappingObject(int fd, std::size_t size, bool writable) : m_fd(fd), m_size(size), m_writable(writable) {}
    ~MappingObject() override { ::close(m_fd); }  // drops this handle's hold

    int Fd() const { return m_fd; }
    std::size_t Size() const { return m_size; }
    bool Writable() const { return m_writable; }

private:
    int m_fd;
    std::size_t m_size;
    bool m_writable;
};

struct View {
    std::size_t size;
    int fd;  // a duplicate of the mapping's descriptor: the view's own hold; -1 once private
    bool writable;
};

struct CreatedName {
    std::string name;
    pid_t creator;
};

// Everything this process knows about its mappings. Opening, creating and
// mapping are serialised by the lock, so two threads of one process never
// race on one name.
struct MappingState {
    std::mutex lock;
    std::map<const void*, View> views;
    std::vector<CreatedName> created;
    bool forkHandlersInstalled = false;
    bool exitHandlerInstalled = false;
};

MappingState& State()
{
    static MappingState* state = new MappingState;  // lives until exit, also for the exit handler
    return *state;
}

// The fork child must not share its parent's blocks: each view becomes a
// private copy at the same address, and the child lets go of the views' holds.
void ForkPrepare() { State().lock.lock(); }
void ForkParent() { State().lock.unlock(); }
void ForkChild()
{
    MappingState& s = State();
    for (auto& [address, view] : s.views) {
        void* base = const_cast<void*>(address);
        void* copy = std::malloc(view.size);
        if (copy == nullptr)
            continue;
        std::memcpy(copy, base, view.size);
        if (::mmap(base, view.size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
            std::memcpy(base, copy, view.size);
            if (!view.writable)
                ::mprotect(base, view.size, PROT_READ);
        }
        std::free(copy);
        if (view.fd >= 0)
            ::close(view.fd);
        view.fd = -1;
    }
    s.lock.unlock();
}

// Names this process created go with it (the views stay valid until exit).
void RemoveCreatedNames()
{
    MappingState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    const pid_t self = ::getpid();
    for (const CreatedName& c : s.created) {
        if (c.creator == self)
            ::shm_unlink(c.name.c_str());
    }
    s.created.clear();
}

// The shared-memory object name of a mapping name; empty when it cannot be one.
std::string ObjectName(LPCSTR lpName)
{
    std::string name = "/brelvo-" + std::to_string(::geteuid()) + "-";
    for (const char* p = lpName; *p != '\0'; ++p)
        name += (*p == '/') ? '_' : *p;
    if (*lpName == '\0' || name.size() > NAME_MAX)
        return std::string();
    return name;
}

int RetryFlock(int fd, int op)
{
    int rc;
    do {
        rc = ::flock(fd, op);
    } while (rc != 0 && errno == EINTR);
    return rc;
}

// Opens an existing object and takes a hold on it. Called with the state lock held.
DWORD OpenExisting(const std::string& name, bool writable, int& fdOut, std::size_t& sizeOut)
{
    const int fd = ::shm_open(name.c_str(), (writable ? O_RDWR : O_RDONLY) | O_CLOEXEC, 0);
    if (fd < 0)
        return (errno == ENOENT) ? ERROR_FILE_NOT_FOUND : Win32ErrorFromErrno(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || (st.st_mode & 0077) != 0) {
        ::close(fd);
        return ERROR_ACCESS_DENIED;  // not ours alone: never trusted
    }
    if (RetryFlock(fd, LOCK_EX | LOCK_NB) == 0) {
        // Nobody holds it: the leftover of a process that ended.
        ::shm_unlink(name.c_str());
        ::close(fd);
        return ERROR_FILE_NOT_FOUND;
    }
    if (errno != EWOULDBLOCK || RetryFlock(fd, LOCK_SH) != 0) {
        const DWORD e = Win32ErrorFromErrno(errno);
        ::close(fd);
        return e;
    }
    fdOut = fd;
    sizeOut = static_cast<std::size_t>(st.st_size);
    return ERROR_SUCCESS;
}

// Creates the object, 0600, with a hold. ERROR_ALREADY_EXISTS when the name is taken.
DWORD CreateNew(const std::string& name, std::size_t size, int& fdOut)
{
    const int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return (errno == EEXIST) ? ERROR_ALREADY_EXISTS : Win32ErrorFromErrno(errno);
    if (RetryFlock(fd, LOCK_SH) != 0 || ::fchmod(fd, 0600) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
        const DWORD e = Win32ErrorFromErrno(errno);
        ::shm_unlink(name.c_str());
        ::close(fd);
        return e;
    }
    fdOut = fd;
    return ERROR_SUCCESS;
}

void InstallHandlers(MappingState& s)
{
    if (!s.forkHandlersInstalled) {
        ::pthread_atfork(&ForkPrepare, &ForkParent, &ForkChild);
        s.forkHandlersInstalled = true;
    }
}

}  // namespace

HANDLE OpenFileMappingA(DWORD dwDesiredAccess, BOOL /*bInheritHandle*/, LPCSTR lpName)
{
    if (lpName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string name = ObjectName(lpName);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    const bool writable = (dwDesiredAccess & FILE_MAP_WRITE) != 0;
    MappingState& s = State();
    int fd = -1;
    std::size_t size = 0;
    {
        std::lock_guard<std::mutex> g(s.lock);
        InstallHandlers(s);
        const DWORD e = OpenExisting(name, writable, fd, size);
        if (e != ERROR_SUCCESS) {
            SetLastError(e);
            return nullptr;
        }
    }
    SetLastError(ERROR_SUCCESS);
    return platform::RegisterHandle(new MappingObject(fd, size, writable));
}

HANDLE CreateFileMappingA(HANDLE hFile, void* /*lpAttributes*/, DWORD flProtect, DWORD dwMaximumSizeHigh,
                          DWORD dwMaximumSizeLow, LPCSTR lpName)
{
    if (hFile != INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    const std::uint64_t size = (static_cast<std::uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
    if (size == 0 || (flProtect != PAGE_READWRITE && flProtect != PAGE_READONLY)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const bool writable = (flProtect == PAGE_READWRITE);

    if (lpName == nullptr) {
        const int fd = ::memfd_create("brelvo-mapping", MFD_CLOEXEC);
        if (fd < 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
            SetLastError(Win32ErrorFromErrno(errno));
            if (fd >= 0)
                ::close(fd);
            return nullptr;
        }
        SetLastError(ERROR_SUCCESS);
        return platform::RegisterHandle(new MappingObject(fd, static_cast<std::size_t>(size), writable));
    }

    const std::string name = ObjectName(lpName);
    if (name.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return nullptr;
    }
    MappingState& s = State();
    int fd = -1;
    std::size_t existingSize = 0;
    DWORD outcome = ERROR_SUCCESS;
    {
        std::lock_guard<std::mutex> g(s.lock);
        InstallHandlers(s);
        // Another process may create or drop the name between the two steps; a few rounds settle it.
        DWORD e = ERROR_FILE_NOT_FOUND;
        for (int round = 0; round < 4 && fd < 0; ++round) {
            e = OpenExisting(name, writable, fd, existingSize);
            if (e == ERROR_SUCCESS) {
                outcome = ERROR_ALREADY_EXISTS;
                break;
            }
            if (e != ERROR_FILE_NOT_FOUND)
                break;
            e = CreateNew(name, static_cast<std::size_t>(size), fd);
            if (e == ERROR_SUCCESS) {
                existingSize = static_cast<std::size_t>(size);
                s.created.push_back({name, ::getpid()});
                if (!s.exitHandlerInstalled) {
                    std::atexit(&RemoveCreatedNames);
                    s.exitHandlerInstalled = true;
                }
                break;
            }
            if (e != ERROR_ALREADY_EXISTS)
                break;
        }
        if (fd < 0) {
            SetLastError(e);
            return nullptr;
        }
    }
    HANDLE h = platform::RegisterHandle(new MappingObject(fd, existingSize, writable));
    SetLastError(outcome);
    return h;
}

LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                     DWORD dwFileOffsetLow, std::size_t dwNumberOfBytesToMap)
{
    auto* mapping = platform::LookupHandleAs<MappingObject>(hFileMappingObject);
    if (mapping == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    const bool writable = (dwDesiredAccess & FILE_MAP_WRITE) != 0;
    if (writable && !mapping->Writable()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    const std::uint64_t offset = (static_cast<std::uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
    const auto page = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    if (offset % page != 0 || offset >= mapping->Size() ||
        dwNumberOfBytesToMap > mapping->Size() - offset) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::size_t bytes = (dwNumberOfBytesToMap != 0) ? dwNumberOfBytesToMap : mapping->Size() - offset;

    MappingState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    const int hold = ::fcntl(mapping->Fd(), F_DUPFD_CLOEXEC, 0);
    if (hold < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return nullptr;
    }
    void* p = ::mmap(nullptr, bytes, writable ? (PROT_READ | PROT_WRITE) : PROT_READ, MAP_SHARED, mapping->Fd(),
                     static_cast<off_t>(offset));
    if (p == MAP_FAILED) {
        SetLastError(Win32ErrorFromErrno(errno));
        ::close(hold);
        return nullptr;
    }
    s.views[p] = View{bytes, hold, writable};
    SetLastError(ERROR_SUCCESS);
    return p;
}

BOOL UnmapViewOfFile(LPCVOID lpBaseAddress)
{
    MappingState& s = State();
    std::lock_guard<std::mutex> g(s.lock);
    auto it = s.views.find(lpBaseAddress);
    if (it == s.views.end()) {
        SetLastError(kErrorInvalidAddress);
        return FALSE;
    }
    ::munmap(const_cast<void*>(lpBaseAddress), it->second.size);
    if (it->second.fd >= 0)
        ::close(it->second.fd);
    s.views.erase(it);
    return TRUE;
}
