#include "platform/crt/Direct.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <cstddef>
#include <unistd.h>

char* _getcwd(char* buffer, int maxlen)
{
    if (buffer == nullptr || maxlen <= 0) {
        errno = EINVAL;
        return nullptr;
    }
    return ::getcwd(buffer, static_cast<std::size_t>(maxlen));
}

int _chdir(const char* path)
{
    if (path == nullptr || ::chdir(path) != 0) {
        SetLastError(path == nullptr ? ERROR_INVALID_PARAMETER : Win32ErrorFromErrno(errno));
        return -1;
    }
    return 0;
}
