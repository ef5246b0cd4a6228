#include "agent/PortProbe.h"

#include "platform/SmbAgentProtocol.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

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
    int fd() const { return m_fd; }

private:
    int m_fd;
};

struct AddressList {
    addrinfo* head = nullptr;
    ~AddressList()
    {
        if (head)
            freeaddrinfo(head);
    }
};

int32_t tryAddress(const addrinfo& address, int timeoutMs)
{
    Socket socket(::socket(address.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
    if (socket.fd() < 0)
        return errno;
    if (::connect(socket.fd(), address.ai_addr, address.ai_addrlen) == 0)
        return 0;
    if (errno != EINPROGRESS)
        return errno;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                          std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return ETIMEDOUT;
        pollfd descriptor{socket.fd(), POLLOUT, 0};
        int ready = ::poll(&descriptor, 1, int(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready < 0)
            return errno;
        if (ready == 0)
            return ETIMEDOUT;
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &length) < 0)
            return errno;
        return error;
    }
}

} // namespace

int32_t ProbeTcpPort(const std::string& host, uint16_t port, int timeoutMs)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    AddressList addresses;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &addresses.head) != 0 ||
        !addresses.head)
        return SmbAgentProtocol::kProbeUnresolved;
    int32_t result = ETIMEDOUT;
    for (const addrinfo* address = addresses.head; address; address = address->ai_next) {
        result = tryAddress(*address, timeoutMs);
        if (result == 0)
            return 0;
    }
    return result;
}
