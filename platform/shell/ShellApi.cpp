#include "platform/shell/ShellApi.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/SharedModule.h"
#include "platform/kernel32/WinError.h"
#include "platform/shell/DesktopApplication.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxPath = 260;
constexpr const char* kOpenerName = "brelvo-open";

bool IsFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The opener program: beside the program (the build tree), one folder up
// (the test programs), or in <prefix>/lib/notifier of an installation.
std::string Opener()
{
    const std::string here = platform::ExecutableFolder();
    for (const std::string& candidate :
         {here + "/" + kOpenerName, here + "/../" + kOpenerName, here + "/../lib/notifier/" + kOpenerName}) {
        if (IsFile(candidate) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return {};
}

HINSTANCE Code(int value)
{
    return reinterpret_cast<HINSTANCE>(static_cast<std::uintptr_t>(value));
}

}  // namespace

HINSTANCE FindExecutableA(LPCSTR lpFile, LPCSTR lpDirectory, LPSTR lpResult)
{
    if (lpResult != nullptr)
        lpResult[0] = '\0';
    if (lpFile == nullptr || *lpFile == '\0' || lpResult == nullptr)
        return Code(SE_ERR_FNF);
    std::string path = lpFile;
    if (path[0] != '/' && lpDirectory != nullptr && *lpDirectory != '\0') {
        if (!IsDirectory(lpDirectory))
            return Code(SE_ERR_PNF);
        path = std::string(lpDirectory) + "/" + path;
    }
    if (!IsFile(path))
        return Code(SE_ERR_FNF);
    if (!platform::HasDefaultApplication(path))
        return Code(SE_ERR_NOASSOC);
    const std::string opener = Opener();
    if (opener.empty() || opener.size() >= kMaxPath)
        return Code(SE_ERR_NOASSOC);
    std::memcpy(lpResult, opener.c_str(), opener.size() + 1);
    return Code(42);
}

DWORD GetShortPathNameA(LPCSTR lpszLongPath, LPSTR lpszShortPath, DWORD cchBuffer)
{
    if (lpszLongPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    struct stat st {};
    if (::stat(lpszLongPath, &st) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const DWORD len = static_cast<DWORD>(std::strlen(lpszLongPath));
    if (lpszShortPath == nullptr || cchBuffer <= len)
        return len + 1;
    std::memcpy(lpszShortPath, lpszLongPath, len + 1);
    return len;
}
