// What the program asks about the system it runs on: the operating-system
// version (GetVersionExA), the user's XDG folders, and whether this
// process's login session is the active one of its seat.
#pragma once

#include "platform/kernel32/WinTypes.h"

#include <string>

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};

constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;
// Neither Windows family: the kernel's version is reported under this id.
constexpr DWORD VER_PLATFORM_LINUX = 0x4C;

// Fills the record with the running kernel's version ("6.1.0" gives 6, 1,
// 0), the platform id VER_PLATFORM_LINUX and an empty service text. FALSE
// when dwOSVersionInfoSize is not the record's size.
BOOL GetVersionExA(OSVERSIONINFOA* lpVersionInformation);

namespace platform {

// The folder of an XDG user directory ("DESKTOP", "DOCUMENTS" ...) from
// ${XDG_CONFIG_HOME:-$HOME/.config}/user-dirs.dirs; empty when not set there.
std::string XdgUserDir(const std::string& name);
// The same from the text of such a file, with $HOME standing for home.
std::string XdgUserDirFromText(const std::string& text, const std::string& name, const std::string& home);

enum class LoginSessionState { Active, Inactive, Unknown };

// Whether the login session of this process is the active session of its
// seat, from logind's records; Unknown when that cannot be told (no logind,
// no session). sessionId receives the session's name when one is found.
LoginSessionState GetOwnLoginSessionState(std::string& sessionId);
// The parts of that decision: the session named in a /proc/<pid>/cgroup
// text ("session-3.scope"), and the state in a logind session record.
std::string SessionFromCgroup(const std::string& cgroupText);
LoginSessionState StateFromSessionRecord(const std::string& recordText);

}  // namespace platform
