#include "platform/shell/ShellPath.h"

#include <sys/stat.h>

BOOL PathFileExistsA(LPCSTR pszPath)
{
    struct stat st {};
    return pszPath != nullptr && *pszPath != '\0' && ::stat(pszPath, &st) == 0;
}
