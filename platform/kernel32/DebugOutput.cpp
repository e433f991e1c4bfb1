#include "platform/kernel32/DebugOutput.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

void OutputDebugStringA(LPCSTR lpOutputString)
{
    if (lpOutputString == nullptr)
        return;
    // One write per text where the pipe allows it, so lines of several
    // threads do not interleave inside a line.
    const char* p = lpOutputString;
    std::size_t left = std::strlen(p);
    while (left > 0) {
        const ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
}
