#include "platform/kernel32/FileFind.h"

#include "platform/kernel32/KernelObject.h"
#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <sys/stat.h>

namespace {

constexpr std::uint64_t kUnixEpochIn1601Units = 116444736000000000ull;  // 1970-01-01 in 100 ns since 1601

FILETIME ToFileTime(const timespec& ts)
{
    const std::uint64_t v = kUnixEpochIn1601Units + static_cast<std::uint64_t>(ts.tv_sec) * 10000000ull +
                            static_cast<std::uint64_t>(ts.tv_nsec) / 100;
    return FILETIME{static_cast<DWORD>(v & 0xFFFFFFFFu), static_cast<DWORD>(v >> 32)};
}

// '*' any run, '?' one byte; "*.*" stands for every name, as on Windows.
// Backtracks only to the last star, so the cost stays linear in practice.
bool Matches(const std::string& mask, const char* name)
{
    if (mask == "*.*" || mask == "*")
        return true;
    const char* m = mask.c_str();
    const char* n = name;
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*n != '\0') {
        if (*m == '?' || (*m != '*' && *m == *n)) {
            ++m;
            ++n;
        } else if (*m == '*') {
            star = m++;
            resume = n;
        } else if (star != nullptr) {
            m = star + 1;
            n = ++resume;
        } else {
            return false;
        }
    }
    while (*m == '*')
        ++m;
    return *m == '\0';
}

bool FillRecord(const std::string& path, const std::string& name, WIN32_FIND_DATAA& data)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || name.size() >= MAX_PATH)
        return false;
    std::memset(&data, 0, sizeof data);
    DWORD attributes = 0;
    if (S_ISDIR(st.st_mode))
        attributes |= FILE_ATTRIBUTE_DIRECTORY;
    else if (S_ISLNK(st.st_mode))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    else
        attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        attributes |= FILE_ATTRIBUTE_HIDDEN;
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        attributes |= FILE_ATTRIBUTE_READONLY;
    data.dwFileAttributes = attributes;
    data.ftCreationTime = ToFileTime(st.st_ctim);
    data.ftLastAccessTime = ToFileTime(st.st_atim);
    data.ftLastWriteTime = ToFileTime(st.st_mtim);
    const std::uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
    data.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    data.nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    std::memcpy(data.cFileName, name.c_str(), name.size() + 1);
    return true;
}

// A search over one folder. Entries are read one at a time as the caller
// asks, so finding the first file of a huge folder costs as little as in a
// small one. A search for one name (no wildcard) has that name only.
class FindObject : public platform::KernelObject {
public:
    FindObject(std::string folder, std::string mask, DIR* dir)
        : m_folder(std::move(folder)), m_mask(std::move(mask)), m_dir(dir)
    {
    }
    FindObject(const FindObject&) = delete;
    FindObject& operator=(const FindObject&) = delete;
    ~FindObject() override
    {
        if (m_dir != nullptr)
            ::closedir(m_dir);
    }

    // The next matching entry that still exists, into data.
    bool Next(WIN32_FIND_DATAA& data)
    {
        if (m_dir == nullptr) {
            if (m_singleDone)
                return false;
            m_singleDone = true;
            return FillRecord(m_folder + m_mask, m_mask, data);
        }
        while (const dirent* e = ::readdir(m_dir)) {
            if (Matches(m_mask, e->d_name) && FillRecord(m_folder + e->d_name, e->d_name, data))
                return true;
        }
        return false;
    }

private:
    std::string m_folder;  // ends with '/'
    std::string m_mask;
    DIR* m_dir;
    bool m_singleDone = false;
};

}  // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, WIN32_FIND_DATAA* lpFindFileData)
{
    if (lpFileName == nullptr || *lpFileName == '\0' || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string path = lpFileName;
    const std::size_t slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    const std::string mask = slash == std::string::npos ? path : path.substr(slash + 1);
    if (mask.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    DIR* dir = nullptr;
    if (mask.find_first_of("*?") != std::string::npos) {
        dir = ::opendir(folder.c_str());
        if (dir == nullptr) {
            SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(errno));
            return INVALID_HANDLE_VALUE;
        }
    }
    auto* find = new FindObject(std::move(folder), mask, dir);
    if (!find->Next(*lpFindFileData)) {
        delete find;
        struct stat st {};
        const bool folderThere = ::stat(path.substr(0, slash == std::string::npos ? 0 : slash + 1).c_str(), &st) == 0 ||
                                 slash == std::string::npos;
        SetLastError(folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return platform::RegisterHandle(find);
}

BOOL FindNextFileA(HANDLE hFindFile, WIN32_FIND_DATAA* lpFindFileData)
{
    FindObject* find = platform::LookupHandleAs<FindObject>(hFindFile);
    if (find == nullptr || lpFindFileData == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!find->Next(*lpFindFileData)) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    return TRUE;
}

BOOL FindClose(HANDLE hFindFile)
{
    if (platform::LookupHandleAs<FindObject>(hFindFile) == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return CloseHandle(hFindFile);
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, SYSTEMTIME* lpSystemTime)
{
    if (lpFileTime == nullptr || lpSystemTime == nullptr)
        return FALSE;
    const std::uint64_t v = (static_cast<std::uint64_t>(lpFileTime->dwHighDateTime) << 32) | lpFileTime->dwLowDateTime;
    if (v >= 0x8000000000000000ull)
        return FALSE;
    const std::int64_t sinceUnix = static_cast<std::int64_t>(v) - static_cast<std::int64_t>(kUnixEpochIn1601Units);
    std::int64_t seconds = sinceUnix / 10000000;
    std::int64_t rest = sinceUnix % 10000000;
    if (rest < 0) {
        rest += 10000000;
        --seconds;
    }
    const time_t t = static_cast<time_t>(seconds);
    tm parts {};
    if (::gmtime_r(&t, &parts) == nullptr || parts.tm_year + 1900 > 30827)
        return FALSE;
    lpSystemTime->wYear = static_cast<WORD>(parts.tm_year + 1900);
    lpSystemTime->wMonth = static_cast<WORD>(parts.tm_mon + 1);
    lpSystemTime->wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    lpSystemTime->wDay = static_cast<WORD>(parts.tm_mday);
    lpSystemTime->wHour = static_cast<WORD>(parts.tm_hour);
    lpSystemTime->wMinute = static_cast<WORD>(parts.tm_min);
    lpSystemTime->wSecond = static_cast<WORD>(parts.tm_sec);
    lpSystemTime->wMilliseconds = static_cast<WORD>(rest / 10000);
    return TRUE;
}

LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2)
{
    const std::uint64_t a = (static_cast<std::uint64_t>(lpFileTime1->dwHighDateTime) << 32) | lpFileTime1->dwLowDateTime;
    const std::uint64_t b = (static_cast<std::uint64_t>(lpFileTime2->dwHighDateTime) << 32) | lpFileTime2->dwLowDateTime;
    return a < b ? -1 : (a > b ? 1 : 0);
}

void GetSystemTime(SYSTEMTIME* lpSystemTime)
{
    timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const FILETIME ft = ToFileTime(now);
    FileTimeToSystemTime(&ft, lpSystemTime);
}
