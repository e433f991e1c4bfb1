#include "platform/linux/BoundedFile.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int Get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

DWORD ReadFileWithin(const std::string& path, std::size_t limit, OverLimit overLimit, std::string& bytes)
{
    bytes.clear();
    Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0)
        return errno == EISDIR ? ERROR_ACCESS_DENIED : Win32ErrorFromErrno(errno);
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode))
        return ERROR_ACCESS_DENIED;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    if (size > limit && overLimit == OverLimit::Refuse)
        return ERROR_FILE_TOO_LARGE;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, limit));
    bytes.resize(want);
    std::size_t done = 0;
    while (done < want) {
        const ssize_t n = ::read(fd.Get(), bytes.data() + done, want - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            bytes.clear();
            return Win32ErrorFromErrno(err);
        }
        if (n == 0)
            break;  // the file shrank meanwhile: what it still holds
        done += static_cast<std::size_t>(n);
    }
    bytes.resize(done);
    return ERROR_SUCCESS;
}

}  // namespace platform
