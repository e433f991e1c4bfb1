#include "platform/dbghelp/OwnMemory.h"

#include <cerrno>
#include <cstring>
#include <sys/uio.h>
#include <unistd.h>

namespace platform {

bool ReadOwnMemory(std::uintptr_t address, void* buffer, std::size_t size, KnownReadable known) noexcept
{
    if (size == 0)
        return true;
    iovec local{buffer, size};
    iovec remote{reinterpret_cast<void*>(address), size};
    const ssize_t n = ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0);
    if (n == static_cast<ssize_t>(size))
        return true;
    if (n < 0 && (errno == ENOSYS || errno == EPERM) && known == KnownReadable::Yes) {
        std::memcpy(buffer, reinterpret_cast<const void*>(address), size);
        return true;
    }
    return false;
}

}  // namespace platform
