// The per-user runtime directory that holds the session's lock files, window
// sockets and message table.
//
// It is $BRELVO_RUNTIME_DIR, else $XDG_RUNTIME_DIR/brelvo, else
// /tmp/brelvo-<uid>. It is created with mode 0700 when missing and refused
// unless it is a real directory owned by the calling user, so that no other
// user can plant or read what lives in it.
//
// An installer that elevated itself (pkexec, sudo) runs as root, away from
// the session of the user it installs for. It finds that user's runtime
// folders here, to report to the windows there; a folder counts only when it
// is a real directory owned by that user with mode 0700, as the user's own
// processes make it.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>
#include <utility>
#include <vector>

namespace platform {

// Where the runtime directory is, from the environment; nothing is created.
std::string RuntimeDirPath();

// Makes sure the runtime directory exists and is safe, and gives its path.
// Returns ERROR_SUCCESS, or the Win32 error that explains the refusal
// (ERROR_ACCESS_DENIED when it is owned by somebody else or is no directory).
DWORD EnsureRuntimeDir(std::string& path);

// The user a process running as root acts for: PKEXEC_UID (pkexec), else
// SUDO_UID (sudo), when it names a user other than root. False when this
// process is not root or no such user is named.
bool ElevatingUser(unsigned& uid);

// Where that user's runtime folder may be, each place once:
// $BRELVO_RUNTIME_DIR, $XDG_RUNTIME_DIR/brelvo (when the elevation kept
// them), /run/user/<uid>/brelvo (the login session's), /tmp/brelvo-<uid>.
std::vector<std::string> RuntimeDirCandidatesForUser(unsigned uid);

// A runtime folder of another user, held open so that nobody can swap it
// for another folder while it is used. Its sub-folders and files are reached
// through Path(), which names the open folder itself.
class UserRuntimeDir {
public:
    UserRuntimeDir() = default;
    ~UserRuntimeDir();
    UserRuntimeDir(const UserRuntimeDir&) = delete;
    UserRuntimeDir& operator=(const UserRuntimeDir&) = delete;

    // ERROR_SUCCESS when path is a directory (not a symbolic link) owned by
    // uid with mode 0700; ERROR_ACCESS_DENIED when it is anything else, or
    // the error that kept it from being opened.
    DWORD Open(const std::string& path, unsigned uid);
    // The same test for a folder inside it (a symbolic link or a folder of
    // somebody else is refused); the sub-folder is held by sub.
    DWORD OpenSubFolder(const char* name, UserRuntimeDir& sub) const;

    bool IsOpen() const { return m_fd >= 0; }
    int Fd() const { return m_fd; }
    // "/proc/self/fd/<n>": the held folder, whatever its name is now.
    std::string Path() const;
    unsigned Owner() const { return m_uid; }
    // Identifies the folder (device and inode), to visit it only once.
    std::pair<unsigned long, unsigned long> Identity() const { return m_identity; }

private:
    DWORD Adopt(int fd, unsigned uid);

    int m_fd = -1;
    unsigned m_uid = 0;
    std::pair<unsigned long, unsigned long> m_identity{0, 0};
};

}  // namespace platform
