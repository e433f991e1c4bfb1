#include "platform/shell/ShellApi.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kMaxPath = 260;

std::string Env(const char* name)
{
    const char* v = std::getenv(name);
    return v != nullptr ? v : "";
}

std::vector<std::string> SplitList(const std::string& text, char sep)
{
    std::vector<std::string> out;
    std::string cur;
    for (char c : text) {
        if (c == sep) {
            if (!cur.empty())
                out.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        out.push_back(cur);
    return out;
}

std::string Home()
{
    return Env("HOME");
}

std::string DataHome()
{
    const std::string v = Env("XDG_DATA_HOME");
    return !v.empty() ? v : Home() + "/.local/share";
}

std::vector<std::string> DataDirs()
{
    std::string v = Env("XDG_DATA_DIRS");
    if (v.empty())
        v = "/usr/local/share:/usr/share";
    std::vector<std::string> dirs{DataHome()};
    for (const std::string& d : SplitList(v, ':'))
        dirs.push_back(d);
    return dirs;
}

std::vector<std::string> ConfigDirs()
{
    std::string home = Env("XDG_CONFIG_HOME");
    if (home.empty())
        home = Home() + "/.config";
    std::string v = Env("XDG_CONFIG_DIRS");
    if (v.empty())
        v = "/etc/xdg";
    std::vector<std::string> dirs{home};
    for (const std::string& d : SplitList(v, ':'))
        dirs.push_back(d);
    return dirs;
}

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

std::string Lower(std::string s)
{
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Whether name matches a glob of the forms the MIME database uses ("*.ext",
// literal names, '*' and '?').
bool GlobMatch(const char* pattern, const char* name)
{
    const char* starP = nullptr;
    const char* starN = nullptr;
    while (*name != '\0') {
        if (*pattern == '*') {
            starP = pattern++;
            starN = name;
        } else if (*pattern == '?' || *pattern == *name) {
            ++pattern;
            ++name;
        } else if (starP != nullptr) {
            pattern = starP + 1;
            name = ++starN;
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return *pattern == '\0';
}

// The MIME type of a file name: the heaviest matching glob, a longer pattern
// winning ties, of the first data folder that has a globs2 file entry for it.
std::string MimeTypeOf(const std::string& fileName)
{
    const std::string lowerName = Lower(fileName);
    std::string best;
    int bestWeight = -1;
    std::size_t bestLength = 0;
    for (const std::string& dir : DataDirs()) {
        std::ifstream in(dir + "/mime/globs2");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#')
                continue;
            // weight:type:pattern[:flags]
            const std::vector<std::string> f = SplitList(line, ':');
            if (f.size() < 3)
                continue;
            const int weight = std::atoi(f[0].c_str());
            const bool caseSensitive = f.size() > 3 && f[3].find("cs") != std::string::npos;
            const bool match = caseSensitive ? GlobMatch(f[2].c_str(), fileName.c_str())
                                             : GlobMatch(Lower(f[2]).c_str(), lowerName.c_str());
            if (match && (weight > bestWeight || (weight == bestWeight && f[2].size() > bestLength))) {
                best = f[1];
                bestWeight = weight;
                bestLength = f[2].size();
            }
        }
        if (!best.empty())
            break;
    }
    return best;
}

// The entries of a key in one section of an ini-style file, split at ';'.
std::vector<std::string> IniList(const std::string& path, const std::string& section, const std::string& key)
{
    std::ifstream in(path);
    std::string line;
    bool inSection = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[') {
            inSection = line == "[" + section + "]";
            continue;
        }
        if (!inSection)
            continue;
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        std::string k = line.substr(0, eq);
        while (!k.empty() && k.back() == ' ')
            k.pop_back();
        if (k == key)
            return SplitList(line.substr(eq + 1), ';');
    }
    return {};
}

std::string DesktopFile(const std::string& id)
{
    for (const std::string& dir : DataDirs()) {
        const std::string path = dir + "/applications/" + id;
        if (IsFile(path))
            return path;
    }
    return {};
}

// The candidate desktop entries for a MIME type, in the order of preference.
std::vector<std::string> ApplicationsFor(const std::string& mime)
{
    std::vector<std::string> ids;
    std::vector<std::string> lists;
    for (const std::string& d : ConfigDirs())
        lists.push_back(d + "/mimeapps.list");
    for (const std::string& d : DataDirs())
        lists.push_back(d + "/applications/mimeapps.list");
    for (const std::string& list : lists)
        for (const std::string& id : IniList(list, "Default Applications", mime))
            ids.push_back(id);
    for (const std::string& d : DataDirs())
        for (const std::string& id : IniList(d + "/applications/mimeinfo.cache", "MIME Cache", mime))
            ids.push_back(id);
    return ids;
}

// The program of a desktop entry: the first word of its Exec line (quotes
// removed), resolved in PATH when it has no slash.
std::string ProgramOf(const std::string& desktopFile)
{
    const std::vector<std::string> exec = IniList(desktopFile, "Desktop Entry", "Exec");
    if (exec.empty())
        return {};
    std::string line = exec.front();
    for (std::size_t i = 1; i < exec.size(); ++i)
        line += ";" + exec[i];
    std::string word;
    std::size_t i = 0;
    while (i < line.size() && line[i] == ' ')
        ++i;
    if (i < line.size() && line[i] == '"') {
        const std::size_t end = line.find('"', i + 1);
        word = line.substr(i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
    } else {
        const std::size_t end = line.find(' ', i);
        word = line.substr(i, end == std::string::npos ? std::string::npos : end - i);
    }
    if (word.empty())
        return {};
    if (word.find('/') != std::string::npos)
        return ::access(word.c_str(), X_OK) == 0 ? word : std::string();
    for (const std::string& dir : SplitList(Env("PATH"), ':')) {
        const std::string candidate = dir + "/" + word;
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
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string mime = MimeTypeOf(name);
    if (mime.empty())
        return Code(SE_ERR_NOASSOC);
    for (const std::string& id : ApplicationsFor(mime)) {
        const std::string desktop = DesktopFile(id);
        if (desktop.empty())
            continue;
        const std::string program = ProgramOf(desktop);
        if (program.empty() || program.size() >= kMaxPath)
            continue;
        std::memcpy(lpResult, program.c_str(), program.size() + 1);
        return Code(42);
    }
    return Code(SE_ERR_NOASSOC);
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
