// The per-user runtime directory that holds the session's lock files, window
// sockets and message table.
//
// It is $BRELVO_RUNTIME_DIR, else $XDG_RUNTIME_DIR/brelvo, else
// /tmp/brelvo-<uid>. It is created with mode 0700 when missing and refused
// unless it is a real directory owned by the calling user, so that no other
// user can plant or read what lives in it.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>

namespace platform {

// Where the runtime directory is, from the environment; nothing is created.
std::string RuntimeDirPath();

// Makes sure the runtime directory exists and is safe, and gives its path.
// Returns ERROR_SUCCESS, or the Win32 error that explains the refusal
// (ERROR_ACCESS_DENIED when it is owned by somebody else or is no directory).
DWORD EnsureRuntimeDir(std::string& path);

}  // namespace platform
