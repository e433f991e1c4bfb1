#include "platform/user32/MessageRegistration.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/RuntimeDir.h"
#include "platform/kernel32/WinError.h"
#include "platform/user32/WinUser.h"

#include <cerrno>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr std::size_t kMaxNameLength = 255;
constexpr off_t kMaxTableBytes = 8 * 1024 * 1024;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCopy(const std::string& s)
{
    std::string out(s);
    for (char& c : out)
        c = Lower(c);
    return out;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// One line without its line break; false when it is not an entry.
bool ParseLine(const std::string& line, RegisteredMessage& out)
{
    if (line.size() < 6 || line[4] != ' ')
        return false;
    UINT id = 0;
    for (int i = 0; i < 4; ++i) {
        const int v = HexValue(line[static_cast<std::size_t>(i)]);
        if (v < 0)
            return false;
        id = id * 16 + static_cast<UINT>(v);
    }
    if (id < kFirstRegisteredMessage)
        return false;
    std::string name;
    for (std::size_t i = 5; i < line.size(); ++i) {
        char c = line[i];
        if (c == '\\') {
            if (++i >= line.size())
                return false;
            if (line[i] == '\\')
                c = '\\';
            else if (line[i] == 'n')
                c = '\n';
            else
                return false;
        }
        name.push_back(c);
    }
    if (name.empty() || name.size() > kMaxNameLength || name.find('\0') != std::string::npos)
        return false;
    out = RegisteredMessage{id, name};
    return true;
}

// Ids already known in this process: the table never changes an id once given.
struct Cache {
    std::mutex lock;
    std::map<std::string, UINT> byName;  // lower-case names
};

Cache& Known()
{
    static Cache* cache = new Cache;  // lives until exit, also for static destructors
    return *cache;
}

class LockedFile {
public:
    explicit LockedFile(int fd) : m_fd(fd) {}
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile()
    {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

bool ReadAll(int fd, std::string& text)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    const off_t size = st.st_size < kMaxTableBytes ? st.st_size : kMaxTableBytes;
    text.assign(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = ::pread(fd, text.data() + got, text.size() - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return true;
}

bool WriteAll(int fd, const std::string& s)
{
    std::size_t done = 0;
    while (done < s.size()) {
        const ssize_t n = ::write(fd, s.data() + done, s.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

std::vector<RegisteredMessage> ParseMessageTable(const std::string& text)
{
    std::vector<RegisteredMessage> out;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find('\n', pos);
        if (end == std::string::npos)
            break;  // an unfinished last line (a writer died halfway)
        RegisteredMessage entry{};
        if (ParseLine(text.substr(pos, end - pos), entry))
            out.push_back(std::move(entry));
        pos = end + 1;
    }
    return out;
}

std::string FormatMessageTableLine(UINT id, const std::string& name)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string line;
    for (int shift = 12; shift >= 0; shift -= 4)
        line.push_back(digits[(id >> shift) & 0xF]);
    line.push_back(' ');
    for (char c : name) {
        if (c == '\\')
            line += "\\\\";
        else if (c == '\n')
            line += "\\n";
        else
            line.push_back(c);
    }
    line.push_back('\n');
    return line;
}

bool SameMessageName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    }
    return true;
}

bool FindRegisteredMessage(const UserRuntimeDir& runtime, const std::string& name, UINT& id)
{
    if (!runtime.IsOpen())
        return false;
    LockedFile file(::openat(runtime.Fd(), "window-messages", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (file.fd() < 0)
        return false;
    struct stat st {};
    if (::fstat(file.fd(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != runtime.Owner())
        return false;
    int rc;
    do {
        rc = ::flock(file.fd(), LOCK_SH);
    } while (rc != 0 && errno == EINTR);
    std::string text;
    if (rc != 0 || !ReadAll(file.fd(), text))
        return false;
    for (const auto& e : ParseMessageTable(text)) {
        if (SameMessageName(e.name, name)) {
            id = e.id;
            return true;
        }
    }
    return false;
}

}  // namespace platform

UINT RegisterWindowMessageA(LPCSTR lpString)
{
    if (lpString == nullptr || *lpString == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string name(lpString);
    if (name.size() > platform::kMaxNameLength) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string key = platform::LowerCopy(name);
    platform::Cache& cache = platform::Known();
    std::lock_guard<std::mutex> g(cache.lock);
    auto known = cache.byName.find(key);
    if (known != cache.byName.end())
        return known->second;

    std::string dir;
    const DWORD err = platform::EnsureRuntimeDir(dir);
    if (err != ERROR_SUCCESS) {
        SetLastError(err);
        return 0;
    }
    const std::string path = dir + "/window-messages";
    platform::LockedFile file(::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (file.fd() < 0) {
        SetLastError(Win32ErrorFromErrno(errno));
        return 0;
    }
    int rc;
    do {
        rc = ::flock(file.fd(), LOCK_EX);
    } while (rc != 0 && errno == EINTR);
    std::string text;
    if (rc != 0 || !platform::ReadAll(file.fd(), text)) {
        SetLastError(rc != 0 ? Win32ErrorFromErrno(errno) : ERROR_INVALID_DATA);
        return 0;
    }
    UINT highest = kFirstRegisteredMessage - 1;
    for (const auto& e : platform::ParseMessageTable(text)) {
        if (e.id > highest)
            highest = e.id;
        if (platform::SameMessageName(e.name, name)) {
            cache.byName[key] = e.id;
            return e.id;
        }
    }
    if (highest >= 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    const UINT id = highest + 1;
    std::string line = platform::FormatMessageTableLine(id, name);
    // A line left unfinished by a writer that died must not swallow ours.
    if (!text.empty() && text.back() != '\n')
        line.insert(line.begin(), '\n');
    if (!platform::WriteAll(file.fd(), line)) {
        SetLastError(ERROR_CANTWRITE);
        return 0;
    }
    cache.byName[key] = id;
    return id;
}
