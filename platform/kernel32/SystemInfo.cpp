#include "platform/kernel32/SystemInfo.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/utsname.h>

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

std::string SessionFromCgroup(const std::string& cgroupText)
{
    const std::size_t at = cgroupText.find("/session-");
    if (at == std::string::npos)
        return "";
    const std::size_t start = at + 9;
    const std::size_t end = cgroupText.find(".scope", start);
    if (end == std::string::npos || end == start || cgroupText.find_first_of("/\n", start) < end)
        return "";
    return cgroupText.substr(start, end - start);
}

LoginSessionState StateFromSessionRecord(const std::string& recordText)
{
    std::istringstream lines(recordText);
    std::string line;
    while (std::getline(lines, line)) {
        if (line == "ACTIVE=1")
            return LoginSessionState::Active;
        if (line == "ACTIVE=0")
            return LoginSessionState::Inactive;
    }
    return LoginSessionState::Unknown;
}

LoginSessionState GetOwnLoginSessionState(std::string& sessionId)
{
    sessionId = SessionFromCgroup(ReadText("/proc/self/cgroup"));
    if (sessionId.empty() || sessionId.find_first_of("./") != std::string::npos)
        return LoginSessionState::Unknown;
    return StateFromSessionRecord(ReadText("/run/systemd/sessions/" + sessionId));
}

}  // namespace platform
