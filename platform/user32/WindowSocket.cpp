#include "platform/user32/WindowSocket.h"

#include "platform/kernel32/LastError.h"
#include "platform/kernel32/ProcessIds.h"
#include "platform/kernel32/RuntimeDir.h"
#include "platform/kernel32/WinError.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstddef>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace platform::detail {

namespace {

// A socket address for a file in a folder. A path too long for sun_path is
// reached through the folder's descriptor in /proc/self/fd, which the kernel
// resolves like any other folder.
class FolderAddress {
public:
    bool Make(const std::string& dir, const std::string& name)
    {
        std::string path = dir + "/" + name;
        if (path.size() >= sizeof m_addr.sun_path) {
            m_dirFd = ::open(dir.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            if (m_dirFd < 0)
                return false;
            path = "/proc/self/fd/" + std::to_string(m_dirFd) + "/" + name;
            if (path.size() >= sizeof m_addr.sun_path)
                return false;
        }
        std::memset(&m_addr, 0, sizeof m_addr);
        m_addr.sun_family = AF_UNIX;
        std::memcpy(m_addr.sun_path, path.data(), path.size());
        m_len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
        return true;
    }
    FolderAddress() = default;
    FolderAddress(const FolderAddress&) = delete;
    FolderAddress& operator=(const FolderAddress&) = delete;
    ~FolderAddress()
    {
        if (m_dirFd >= 0)
            ::close(m_dirFd);
    }
    const sockaddr* Addr() const { return reinterpret_cast<const sockaddr*>(&m_addr); }
    socklen_t Len() const { return m_len; }

private:
    sockaddr_un m_addr{};
    socklen_t m_len = 0;
    int m_dirFd = -1;
};

int NewDatagramSocket()
{
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    // The kernel then attaches the sender's credentials to every datagram.
    ::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    return fd;
}

struct ReplySocket {
    int fd = -1;
    bool tried = false;
    ~ReplySocket()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

thread_local ReplySocket t_reply;

bool ParseNumber(const std::string& s, std::size_t& pos, char prefix, DWORD& out)
{
    if (pos >= s.size() || s[pos] != prefix)
        return false;
    ++pos;
    std::uint64_t v = 0;
    const std::size_t start = pos;
    while (pos < s.size() && s[pos] >= '0' && s[pos] <= '9' && pos - start < 10) {
        v = v * 10 + static_cast<std::uint64_t>(s[pos] - '0');
        ++pos;
    }
    if (pos == start || v == 0 || v > 0xFFFFFFFFu)
        return false;
    out = static_cast<DWORD>(v);
    return true;
}

// Removes a socket file that is stale, unless it was replaced meanwhile by a
// new socket of the same name (the inode tells).
void RemoveIfSame(const std::string& path, ino_t inode)
{
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && st.st_ino == inode && S_ISSOCK(st.st_mode))
        ::unlink(path.c_str());
}

}  // namespace

std::string WindowSocketName(DWORD pid, DWORD threadId, DWORD window)
{
    return "p" + std::to_string(pid) + "-t" + std::to_string(threadId) + "-w" + std::to_string(window) + ".sock";
}

bool ParseWindowSocketName(const std::string& name, SocketEntry& out)
{
    SocketEntry e;
    std::size_t pos = 0;
    if (!ParseNumber(name, pos, 'p', e.pid) || pos >= name.size() || name[pos++] != '-' ||
        !ParseNumber(name, pos, 't', e.threadId) || pos >= name.size() || name[pos++] != '-' ||
        !ParseNumber(name, pos, 'w', e.window) || name.compare(pos, std::string::npos, ".sock") != 0)
        return false;
    e.name = name;
    out = e;
    return true;
}

DWORD EnsureWindowsDir(std::string& path)
{
    std::string runtime;
    const DWORD err = EnsureRuntimeDir(runtime);
    if (err != ERROR_SUCCESS)
        return err;
    path = runtime + "/windows";
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return Win32ErrorFromErrno(errno);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return Win32ErrorFromErrno(errno);
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

DWORD OpenWindowSocket(DWORD threadId, DWORD window, int& fd, std::string& path)
{
    std::string dir;
    DWORD err = EnsureWindowsDir(dir);
    if (err != ERROR_SUCCESS)
        return err;
    const std::string name = WindowSocketName(GetCurrentProcessId(), threadId, window);
    FolderAddress addr;
    if (!addr.Make(dir, name))
        return ERROR_INVALID_NAME;
    const int s = NewDatagramSocket();
    if (s < 0)
        return Win32ErrorFromErrno(errno);
    path = dir + "/" + name;
    int rc = ::bind(s, addr.Addr(), addr.Len());
    if (rc != 0 && errno == EADDRINUSE) {
        // Our process id and window number are ours alone while we live: a
        // file of that name is left over from a dead process.
        ::unlink(path.c_str());
        rc = ::bind(s, addr.Addr(), addr.Len());
    }
    if (rc != 0) {
        err = Win32ErrorFromErrno(errno);
        ::close(s);
        return err;
    }
    fd = s;
    return ERROR_SUCCESS;
}

void CloseWindowSocket(int fd, const std::string& path)
{
    if (fd < 0)
        return;
    // The name holds our process id and window number, so while we live no
    // other socket can have it.
    struct stat st {};
    if (!path.empty() && ::lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
        ::unlink(path.c_str());
    ::close(fd);
}

std::vector<SocketEntry> ListWindowSockets()
{
    std::string dir;
    if (EnsureWindowsDir(dir) != ERROR_SUCCESS)
        return {};
    return ListWindowSockets(dir);
}

std::vector<SocketEntry> ListWindowSockets(const std::string& dir)
{
    std::vector<SocketEntry> out;
    DIR* d = ::opendir(dir.c_str());
    if (d == nullptr)
        return out;
    while (dirent* e = ::readdir(d)) {
        SocketEntry entry;
        if (ParseWindowSocketName(e->d_name, entry))
            out.push_back(entry);
    }
    ::closedir(d);
    return out;
}

bool FindWindowSocket(DWORD pid, DWORD window, SocketEntry& out)
{
    for (const SocketEntry& e : ListWindowSockets()) {
        if (e.pid == pid && e.window == window) {
            out = e;
            return true;
        }
    }
    return false;
}

bool IsProcessAlive(DWORD pid)
{
    if (pid == 0 || pid > 0x7FFFFFFFu)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

int ThreadReplySocket()
{
    if (!t_reply.tried) {
        t_reply.tried = true;
        const int fd = NewDatagramSocket();
        if (fd >= 0) {
            sockaddr_un addr{};
            addr.sun_family = AF_UNIX;
            // Binding only the family picks a fresh abstract address.
            if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(sa_family_t)) == 0)
                t_reply.fd = fd;
            else
                ::close(fd);
        }
    }
    return t_reply.fd;
}

SendOutcome SendToWindowSocket(const SocketEntry& entry, const WindowDatagram& datagram, DWORD waitMs)
{
    std::string dir;
    if (EnsureWindowsDir(dir) != ERROR_SUCCESS)
        return SendOutcome::Failed;
    return SendToWindowSocket(dir, entry, datagram, waitMs);
}

SendOutcome SendToWindowSocket(const std::string& dir, const SocketEntry& entry, const WindowDatagram& datagram,
                               DWORD waitMs)
{
    const std::string path = dir + "/" + entry.name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return SendOutcome::Stale;
    if (!S_ISSOCK(st.st_mode))
        return SendOutcome::Failed;
    if (!IsProcessAlive(entry.pid)) {
        RemoveIfSame(path, st.st_ino);
        return SendOutcome::Stale;
    }
    FolderAddress addr;
    if (!addr.Make(dir, entry.name))
        return SendOutcome::Failed;
    std::uint8_t bytes[kWindowDatagramSize];
    EncodeWindowDatagram(datagram, bytes);

    int fd = ThreadReplySocket();
    int ownFd = -1;
    if (fd < 0) {
        ownFd = NewDatagramSocket();
        fd = ownFd;
        if (fd < 0)
            return SendOutcome::Failed;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    SendOutcome outcome = SendOutcome::Failed;
    for (;;) {
        const ssize_t n = ::sendto(fd, bytes, sizeof bytes, MSG_DONTWAIT | MSG_NOSIGNAL, addr.Addr(), addr.Len());
        if (n == static_cast<ssize_t>(sizeof bytes)) {
            outcome = SendOutcome::Delivered;
            break;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == ECONNREFUSED || errno == ENOENT)) {
            // Nobody is bound to the file any more: its window died with its process.
            RemoveIfSame(path, st.st_ino);
            outcome = SendOutcome::Stale;
            break;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == ENOBUFS)) {
            if (std::chrono::steady_clock::now() >= deadline) {
                outcome = SendOutcome::Busy;
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        break;
    }
    if (ownFd >= 0)
        ::close(ownFd);
    return outcome;
}

void SendRemoteReply(const std::string& address, const WindowDatagram& reply)
{
    if (address.empty() || address.size() > sizeof(sockaddr_un::sun_path))
        return;
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, address.data(), address.size());
    const auto len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + address.size());
    std::uint8_t bytes[kWindowDatagramSize];
    EncodeWindowDatagram(reply, bytes);
    int fd = ThreadReplySocket();
    int ownFd = -1;
    if (fd < 0) {
        ownFd = NewDatagramSocket();
        fd = ownFd;
        if (fd < 0)
            return;
    }
    // A sender that stopped waiting may have a full queue; the answer is
    // then dropped after a short try, as the sender has given up anyway.
    for (int attempt = 0; attempt < 50; ++attempt) {
        const ssize_t n = ::sendto(fd, bytes, sizeof bytes, MSG_DONTWAIT | MSG_NOSIGNAL,
                                   reinterpret_cast<const sockaddr*>(&addr), len);
        if (n >= 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (ownFd >= 0)
        ::close(ownFd);
}

bool AcceptsWindowSender(unsigned senderUid)
{
    return senderUid == ::geteuid() || senderUid == 0;
}

ReceiveOutcome ReceiveWindowDatagram(int fd, WindowDatagram& out, std::string& fromAddress, unsigned& senderUid)
{
    std::uint8_t buf[kWindowDatagramSize + 1];
    sockaddr_un from{};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    iovec iov{buf, sizeof buf};
    msghdr msg{};
    msg.msg_name = &from;
    msg.msg_namelen = sizeof from;
    msg.msg_iov = &iov;
    msg.msg_iovlen = 1;
    msg.msg_control = control;
    msg.msg_controllen = sizeof control;
    ssize_t n;
    do {
        n = ::recvmsg(fd, &msg, MSG_DONTWAIT | MSG_CMSG_CLOEXEC);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return ReceiveOutcome::Empty;
    bool credentials = false;
    for (cmsghdr* c = CMSG_FIRSTHDR(&msg); c != nullptr; c = CMSG_NXTHDR(&msg, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS && c->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
            ucred cred{};
            std::memcpy(&cred, CMSG_DATA(c), sizeof cred);
            credentials = true;
            senderUid = cred.uid;
        } else if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
            // Nobody should pass descriptors here; close what arrived.
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int passed = -1;
                std::memcpy(&passed, CMSG_DATA(c) + i * sizeof(int), sizeof(int));
                if (passed >= 0)
                    ::close(passed);
            }
        }
    }
    if (!credentials || (msg.msg_flags & (MSG_TRUNC | MSG_CTRUNC)) != 0)
        return ReceiveOutcome::Dropped;
    WindowDatagram d;
    if (!ParseWindowDatagram(buf, static_cast<std::size_t>(n), d))
        return ReceiveOutcome::Dropped;
    const std::size_t pathLen =
        msg.msg_namelen > offsetof(sockaddr_un, sun_path) ? msg.msg_namelen - offsetof(sockaddr_un, sun_path) : 0;
    fromAddress.assign(from.sun_path, std::min(pathLen, sizeof from.sun_path));
    out = d;
    return ReceiveOutcome::Got;
}

}  // namespace platform::detail
