#include "platform/kernel32/PathApi.h"

#include "platform/kernel32/FileFind.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

DWORD GetFileAttributesA(LPCSTR lpFileName)
{
    struct stat st {};
    if (lpFileName == nullptr || ::stat(lpFileName, &st) != 0) {
        SetLastError(lpFileName == nullptr ? ERROR_INVALID_PARAMETER : Win32ErrorFromErrno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

BOOL RemoveDirectoryA(LPCSTR lpPathName)
{
    if (lpPathName == nullptr || ::rmdir(lpPathName) != 0) {
        SetLastError(lpPathName == nullptr ? ERROR_INVALID_PARAMETER
                                           : (errno == EEXIST ? ERROR_DIR_NOT_EMPTY : Win32ErrorFromErrno(errno)));
        return FALSE;
    }
    return TRUE;
}

BOOL DeleteFileA(LPCSTR lpFileName)
{
    struct stat st {};
    if (lpFileName != nullptr && ::lstat(lpFileName, &st) == 0 && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (lpFileName == nullptr || ::unlink(lpFileName) != 0) {
        SetLastError(lpFileName == nullptr ? ERROR_INVALID_PARAMETER : Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer)
{
    const char* tmp = std::getenv("TMPDIR");
    std::string path = (tmp != nullptr && *tmp != '\0') ? tmp : "/tmp";
    if (path.back() != kPathSeparator)
        path += kPathSeparator;
    if (lpBuffer == nullptr || nBufferLength <= path.size())
        return static_cast<DWORD>(path.size() + 1);
    std::memcpy(lpBuffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}
