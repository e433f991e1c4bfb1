#include "platform/user32/DisplayProbe.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {

namespace {

class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

bool ConnectUnix(const std::string& path, bool abstractName)
{
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    const std::size_t offset = abstractName ? 1 : 0;
    if (path.empty() || path.size() + offset >= sizeof addr.sun_path)
        return false;
    std::memcpy(addr.sun_path + offset, path.data(), path.size());
    Socket s(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (s.Get() < 0)
        return false;
    const socklen_t len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    return ::connect(s.Get(), reinterpret_cast<const sockaddr*>(&addr), len) == 0;
}

bool ConnectTcp(const std::string& host, int port)
{
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0)
        return false;
    bool ok = false;
    for (addrinfo* a = list; a != nullptr && !ok; a = a->ai_next) {
        Socket s(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
        ok = s.Get() >= 0 && ::connect(s.Get(), a->ai_addr, a->ai_addrlen) == 0;
    }
    ::freeaddrinfo(list);
    return ok;
}

}  // namespace

bool CanReachX11Display(const char* display)
{
    const char* d = display != nullptr ? display : std::getenv("DISPLAY");
    if (d == nullptr || *d == '\0')
        return false;
    const std::string text(d);
    const std::size_t colon = text.rfind(':');
    if (colon == std::string::npos || colon + 1 >= text.size())
        return false;
    std::string host = text.substr(0, colon);
    const std::string rest = text.substr(colon + 1);
    const std::size_t dot = rest.find('.');
    const std::string number = rest.substr(0, dot);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos || number.size() > 5)
        return false;
    const int n = std::atoi(number.c_str());
    if (host.empty() || host == "unix") {
        const std::string path = "/tmp/.X11-unix/X" + number;
        return ConnectUnix(path, false) || ConnectUnix(path, true);
    }
    return ConnectTcp(host, 6000 + n);
}

bool CanReachWaylandDisplay()
{
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || *name == '\0')
        return false;
    if (name[0] == '/')
        return ConnectUnix(name, false);
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (dir == nullptr || *dir == '\0')
        return false;
    return ConnectUnix(std::string(dir) + "/" + name, false);
}

}  // namespace platform
