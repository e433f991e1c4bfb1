#include "platform/kernel32/FileApi.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// An open file: its descriptor and the access it was opened for.
class FileObject : public platform::KernelObject {
public:
    FileObject(int fd, DWORD access) : m_fd(fd), m_access(access) {}
    ~FileObject() override { ::close(m_fd); }

    int Fd() const { return m_fd; }
    bool CanRead() const { return (m_access & GENERIC_READ) != 0; }
    bool CanWrite() const { return (m_access & GENERIC_WRITE) != 0; }

private:
    int m_fd;
    DWORD m_access;
};

DWORD FileError(int err)
{
    switch (err) {
    case EISDIR: return ERROR_ACCESS_DENIED;
    case ENOSPC:
    case EDQUOT: return ERROR_DISK_FULL;
    case EEXIST: return ERROR_FILE_EXISTS;
    default: return Win32ErrorFromErrno(err);
    }
}

// ENOENT means "file not found" when the folder exists, "path not found" otherwise.
DWORD MissingError(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ERROR_FILE_NOT_FOUND;
    const std::string folder = slash == 0 ? "/" : path.substr(0, slash);
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return ERROR_PATH_NOT_FOUND;
    return ERROR_FILE_NOT_FOUND;
}

// Opening never waits: a FIFO without a writer, or a device that blocks on
// open, would otherwise hold the caller for ever. Only regular files are
// kept (see CreateFileA), and for them the flag changes nothing.
int OpenFd(const char* path, int flags) { return ::open(path, flags | O_CLOEXEC | O_NONBLOCK, 0666); }

FileObject* LookupFile(HANDLE h)
{
    FileObject* f = platform::LookupHandleAs<FileObject>(h);
    if (f == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return f;
}

}  // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD /*dwShareMode*/, void* /*lpSecurityAttributes*/,
                   DWORD dwCreationDisposition, DWORD /*dwFlagsAndAttributes*/, HANDLE /*hTemplateFile*/)
{
    if (lpFileName == nullptr || *lpFileName == '\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const bool read = (dwDesiredAccess & GENERIC_READ) != 0;
    const bool write = (dwDesiredAccess & GENERIC_WRITE) != 0;
    int flags = read && write ? O_RDWR : write ? O_WRONLY : read ? O_RDONLY : O_PATH;
    if (!read && !write && dwCreationDisposition != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }

    DWORD lastError = ERROR_SUCCESS;
    int fd = -1;
    switch (dwCreationDisposition) {
    case CREATE_NEW:
        fd = OpenFd(lpFileName, flags | O_CREAT | O_EXCL);
        break;
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        // Try to make it first, so that the last error can say whether it existed.
        fd = OpenFd(lpFileName, flags | O_CREAT | O_EXCL);
        if (fd < 0 && errno == EEXIST) {
            fd = OpenFd(lpFileName, flags | (dwCreationDisposition == CREATE_ALWAYS ? O_TRUNC : 0));
            if (fd >= 0)
                lastError = ERROR_ALREADY_EXISTS;
        }
        break;
    case OPEN_EXISTING:
        fd = OpenFd(lpFileName, flags);
        break;
    case TRUNCATE_EXISTING:
        if (!write) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        fd = OpenFd(lpFileName, flags | O_TRUNC);
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (fd < 0) {
        const int err = errno;
        SetLastError(err == ENOENT ? MissingError(lpFileName) : err == ENOTDIR ? ERROR_PATH_NOT_FOUND : FileError(err));
        return INVALID_HANDLE_VALUE;
    }
    // Files only: a folder is refused as Windows refuses it, and so is
    // anything Windows would not open by a file name (a FIFO, a socket, a
    // device, also behind a symbolic link).
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    HANDLE h = platform::RegisterHandle(new FileObject(fd, dwDesiredAccess));
    SetLastError(lastError);
    return h;
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              void* lpOverlapped)
{
    if (lpNumberOfBytesRead != nullptr)
        *lpNumberOfBytesRead = 0;
    FileObject* f = LookupFile(hFile);
    if (f == nullptr)
        return FALSE;
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToRead != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!f->CanRead()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    BYTE* p = static_cast<BYTE*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToRead) {
        const ssize_t n = ::read(f->Fd(), p + done, nNumberOfBytesToRead - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            if (lpNumberOfBytesRead != nullptr)
                *lpNumberOfBytesRead = done;
            SetLastError(FileError(err));
            return FALSE;
        }
        if (n == 0)
            break;  // end of file
        done += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesRead != nullptr)
        *lpNumberOfBytesRead = done;
    return TRUE;
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               void* lpOverlapped)
{
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = 0;
    FileObject* f = LookupFile(hFile);
    if (f == nullptr)
        return FALSE;
    if (lpOverlapped != nullptr || (lpBuffer == nullptr && nNumberOfBytesToWrite != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!f->CanWrite()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    const BYTE* p = static_cast<const BYTE*>(lpBuffer);
    DWORD done = 0;
    while (done < nNumberOfBytesToWrite) {
        const ssize_t n = ::write(f->Fd(), p + done, nNumberOfBytesToWrite - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            if (lpNumberOfBytesWritten != nullptr)
                *lpNumberOfBytesWritten = done;
            SetLastError(FileError(err));
            return FALSE;
        }
        done += static_cast<DWORD>(n);
    }
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = done;
    return TRUE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod)
{
    FileObject* f = LookupFile(hFile);
    if (f == nullptr)
        return INVALID_SET_FILE_POINTER;
    std::int64_t distance = lDistanceToMove;
    if (lpDistanceToMoveHigh != nullptr)
        distance = static_cast<std::int64_t>((static_cast<std::uint64_t>(static_cast<std::uint32_t>(*lpDistanceToMoveHigh)) << 32) |
                                             static_cast<std::uint32_t>(lDistanceToMove));
    std::int64_t base = 0;
    switch (dwMoveMethod) {
    case FILE_BEGIN: break;
    case FILE_CURRENT: {
        const off_t cur = ::lseek(f->Fd(), 0, SEEK_CUR);
        if (cur < 0) {
            SetLastError(FileError(errno));
            return INVALID_SET_FILE_POINTER;
        }
        base = cur;
        break;
    }
    case FILE_END: {
        struct stat st {};
        if (::fstat(f->Fd(), &st) != 0) {
            SetLastError(FileError(errno));
            return INVALID_SET_FILE_POINTER;
        }
        base = st.st_size;
        break;
    }
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_SET_FILE_POINTER;
    }
    if ((distance > 0 && base > INT64_MAX - distance)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    const std::int64_t target = base + distance;
    if (target < 0) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh == nullptr && target > 0xFFFFFFFELL) {
        // Without the high half the new position must fit the 32-bit result.
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(f->Fd(), static_cast<off_t>(target), SEEK_SET) < 0) {
        SetLastError(FileError(errno));
        return INVALID_SET_FILE_POINTER;
    }
    if (lpDistanceToMoveHigh != nullptr)
        *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<std::uint64_t>(target) >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(static_cast<std::uint64_t>(target) & 0xFFFFFFFFu);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh)
{
    FileObject* f = LookupFile(hFile);
    if (f == nullptr)
        return INVALID_FILE_SIZE;
    struct stat st {};
    if (::fstat(f->Fd(), &st) != 0) {
        SetLastError(FileError(errno));
        return INVALID_FILE_SIZE;
    }
    const std::uint64_t size = static_cast<std::uint64_t>(st.st_size);
    if (lpFileSizeHigh != nullptr)
        *lpFileSizeHigh = static_cast<DWORD>(size >> 32);
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size & 0xFFFFFFFFu);
}
