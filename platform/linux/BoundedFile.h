// Reading a whole file that comes from outside, without surprises: the open
// never waits (a FIFO without a writer would hold the caller for ever), only
// a regular file is read (also behind a symbolic link; a FIFO, socket,
// device or folder is refused), and never more than the size the file had
// when it was opened, nor more than a limit the caller gives.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <cstddef>
#include <string>

namespace platform {

enum class OverLimit {
    Refuse,    // a larger file is an error (ERROR_FILE_TOO_LARGE)
    ReadStart  // a larger file gives its first limit bytes
};

// ERROR_SUCCESS with the file's bytes in bytes; else the Win32 error:
// ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when nothing is there,
// ERROR_ACCESS_DENIED for what is not a regular file or cannot be read,
// ERROR_FILE_TOO_LARGE for a file above limit with OverLimit::Refuse.
DWORD ReadFileWithin(const std::string& path, std::size_t limit, OverLimit overLimit, std::string& bytes);

}  // namespace platform
