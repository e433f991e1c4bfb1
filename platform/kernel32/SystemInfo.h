// What the program asks about the system it runs on: the operating-system
// version (GetVersionExA), the user's XDG folders, and whether this
// process's login session is the active one of its seat (ProcessIdToSessionId
// and WTSGetActiveConsoleSessionId on Windows).
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

// The login session of this process as logind tells it, through sd-login
// (sd_pid_get_session, sd_session_get_seat, sd_seat_get_active,
// sd_session_is_active). libsystemd is loaded the first time this is asked,
// so programs that never ask never load it and its libraries.
enum class LoginSessionState {
    NoLogind,   // libsystemd cannot be loaded, or logind does not run: nothing can be told
    NoSession,  // the process belongs to no login session (a service, a timer)
    NoSeat,     // its session has no seat (a remote login): it is at no console
    Active,     // its session is the active one of its seat
    Inactive,   // another session is in front on its seat
};

struct LoginSession {
    LoginSessionState state = LoginSessionState::NoLogind;
    std::string session;        // this process's session, when it has one
    std::string activeSession;  // the active session of its seat, when the seat has one
};

LoginSession GetOwnLoginSession();

// A session name as the number a session id is: "3" gives 3; names that are
// no decimal number ("c1" of a greeter) give -1.
int SessionNumber(const std::string& name);

}  // namespace platform
