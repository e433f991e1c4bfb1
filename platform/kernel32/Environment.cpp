#include "platform/kernel32/Environment.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize)
{
    const char* v = (lpName != nullptr) ? std::getenv(lpName) : nullptr;
    if (v == nullptr) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    const std::size_t len = std::strlen(v);
    if (lpBuffer == nullptr || len + 1 > nSize)
        return static_cast<DWORD>(len + 1);
    std::memcpy(lpBuffer, v, len + 1);
    return static_cast<DWORD>(len);
}

BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue)
{
    if (lpName == nullptr || *lpName == '\0' || std::strchr(lpName, '=') != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const int rc = (lpValue != nullptr) ? ::setenv(lpName, lpValue, 1) : ::unsetenv(lpName);
    if (rc != 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

namespace platform {
std::string GetEnv(const char* name)
{
    const char* v = std::getenv(name);
    return (v != nullptr) ? std::string(v) : std::string();
}
}  // namespace platform
