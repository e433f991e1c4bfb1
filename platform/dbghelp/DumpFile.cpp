#include "platform/dbghelp/DumpFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Makes the missing folders above path, 0700 each.
bool MakeFolders(const char* path)
{
    char copy[PATH_MAX];
    const std::size_t length = ::strnlen(path, sizeof copy);
    if (length == sizeof copy)
        return false;
    std::memcpy(copy, path, length + 1);
    for (std::size_t i = 1; i < length; ++i) {
        if (copy[i] != '/')
            continue;
        copy[i] = '\0';
        if (::mkdir(copy, 0700) != 0 && errno != EEXIST)
            return false;
        copy[i] = '/';
    }
    return true;
}

int CreateAnew(const char* path)
{
    return ::open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

}  // namespace

bool DumpFile::Create(const char* path) noexcept
{
    if (path == nullptr || path[0] == '\0' || m_fd >= 0)
        return false;
    struct stat st {};
    if (::lstat(path, &st) == 0) {
        if (!S_ISREG(st.st_mode))
            return false;  // a symbolic link, a folder, a FIFO: never written through or over
        if (::unlink(path) != 0)
            return false;
    }
    int fd = CreateAnew(path);
    if (fd < 0 && errno == ENOENT && MakeFolders(path))
        fd = CreateAnew(path);
    if (fd < 0)
        return false;
    ::fchmod(fd, 0600);  // whatever the umask left
    m_path = path;
    m_fd = fd;
    m_end = 0;
    m_ok = true;
    return true;
}

std::uint32_t DumpFile::Reserve(std::size_t size) noexcept
{
    const std::uint64_t at = (m_end + 7) & ~std::uint64_t{7};
    if (at + size > UINT32_MAX) {
        m_ok = false;
        return 0;
    }
    m_end = at + size;
    return static_cast<std::uint32_t>(at);
}

std::uint32_t DumpFile::Append(const void* data, std::size_t size) noexcept
{
    const std::uint32_t at = Reserve(size);
    WriteAt(at, data, size);
    return at;
}

void DumpFile::WriteAt(std::uint32_t offset, const void* data, std::size_t size) noexcept
{
    const auto* p = static_cast<const char*>(data);
    off_t at = offset;
    while (m_ok && size > 0) {
        const ssize_t n = ::pwrite(m_fd, p, size, at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_ok = false;
            break;
        }
        p += n;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
}

bool DumpFile::Finish() noexcept
{
    if (m_fd < 0)
        return false;
    // Reserved room nobody wrote at the end still belongs to the file.
    if (m_ok && ::ftruncate(m_fd, static_cast<off_t>(m_end)) != 0)
        m_ok = false;
    if (!m_ok) {
        Discard();
        return false;
    }
    ::close(m_fd);
    m_fd = -1;
    return true;
}

void DumpFile::Discard() noexcept
{
    if (m_fd < 0)
        return;
    ::close(m_fd);
    m_fd = -1;
    ::unlink(m_path);
}

}  // namespace platform
