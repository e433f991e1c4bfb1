#include "platform/kernel32/SystemInfo.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/SystemLibrary.h"
#include "platform/kernel32/WinError.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>
#include <systemd/sd-login.h>
#include <unistd.h>

namespace {

std::string ReadText(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

}  // namespace

BOOL GetVersionExA(OSVERSIONINFOA* info)
{
    if (info == nullptr || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    utsname u {};
    DWORD parts[3] = {};
    if (::uname(&u) == 0) {
        const char* p = u.release;
        for (DWORD& part : parts) {
            part = static_cast<DWORD>(std::strtoul(p, const_cast<char**>(&p), 10));
            if (*p != '.')
                break;
            ++p;
        }
    }
    info->dwMajorVersion = parts[0];
    info->dwMinorVersion = parts[1];
    info->dwBuildNumber = parts[2];
    info->dwPlatformId = VER_PLATFORM_LINUX;
    info->szCSDVersion[0] = '\0';
    return TRUE;
}

namespace platform {

std::string XdgUserDirFromText(const std::string& text, const std::string& name, const std::string& home)
{
    const std::string key = "XDG_" + name + "_DIR=";
    std::istringstream lines(text);
    std::string line;
    std::string found;
    while (std::getline(lines, line)) {
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line.compare(start, key.size(), key) != 0)
            continue;
        std::string value = line.substr(start + key.size());
        if (value.size() >= 2 && value.front() == '"') {
            const std::size_t close = value.find('"', 1);
            if (close == std::string::npos)
                continue;
            value = value.substr(1, close - 1);
        }
        if (value.rfind("$HOME", 0) == 0)
            value = home + value.substr(5);
        if (!value.empty() && value[0] == '/')
            found = value;  // the last assignment wins, as the shell reads it
    }
    return found;
}

std::string XdgUserDir(const std::string& name)
{
    const std::string home = Env("HOME");
    std::string config = Env("XDG_CONFIG_HOME");
    if (config.empty())
        config = home + "/.config";
    return XdgUserDirFromText(ReadText(config + "/user-dirs.dirs"), name, home);
}

namespace {

// sd-login's entries from libsystemd, resolved when a session is first asked about.
class SdLogin : public SystemLibrary<SdLogin> {
public:
    decltype(&sd_pid_get_session) pid_get_session = nullptr;
    decltype(&sd_session_get_seat) session_get_seat = nullptr;
    decltype(&sd_seat_get_active) seat_get_active = nullptr;
    decltype(&sd_session_is_active) session_is_active = nullptr;

private:
    friend SystemLibrary<SdLogin>;
    SdLogin()
    {
        Load("libsystemd.so.0", Entry(pid_get_session, "sd_pid_get_session"),
             Entry(session_get_seat, "sd_session_get_seat"), Entry(seat_get_active, "sd_seat_get_active"),
             Entry(session_is_active, "sd_session_is_active"));
    }
};

// A text that sd-login handed out (malloc'ed), taken over.
std::string Take(char* text)
{
    std::string out = text != nullptr ? text : "";
    std::free(text);
    return out;
}

// Whether logind runs: it keeps its seats' folder while it does, the test
// systemd's own tools make.
bool LogindRuns()
{
    return ::access("/run/systemd/seats/", F_OK) == 0;
}

}  // namespace

LoginSession GetOwnLoginSession()
{
    LoginSession out;
    const SdLogin& sd = SdLogin::Get();
    if (!sd.Loaded() || !LogindRuns())
        return out;
    char* text = nullptr;
    out.state = LoginSessionState::NoSession;
    if (sd.pid_get_session(0, &text) < 0)
        return out;
    out.session = Take(text);
    text = nullptr;
    out.state = LoginSessionState::NoSeat;
    const int seated = sd.session_get_seat(out.session.c_str(), &text);
    const std::string seat = Take(text);
    if (seated < 0 || seat.empty())
        return out;
    text = nullptr;
    if (sd.seat_get_active(seat.c_str(), &text, nullptr) >= 0)
        out.activeSession = Take(text);
    out.state = sd.session_is_active(out.session.c_str()) > 0 ? LoginSessionState::Active : LoginSessionState::Inactive;
    return out;
}

int SessionNumber(const std::string& name)
{
    if (name.empty() || name.size() > 9 || name.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    return std::atoi(name.c_str());
}

}  // namespace platform
