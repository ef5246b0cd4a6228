#include "platform/TcpConnectChannel.h"

#include "engine/ports/PlatformError.h"
#include "model/LogCategories.h"

#include <cerrno>
#include <netinet/in.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

TcpConnectChannel::TcpConnectChannel(std::vector<uint16_t> ports) : m_ports(std::move(ports))
{
    m_epoll.reset(epoll_create1(EPOLL_CLOEXEC));
}

TcpConnectChannel::~TcpConnectChannel()
{
    for (const auto& [fd, id] : m_probeBySocket)
        ::close(fd);
}

bool TcpConnectChannel::ConnectProvesHost(int error)
{
    return error == 0 || error == ECONNREFUSED;
}

void TcpConnectChannel::closeSocket(int fd)
{
    // A reset instead of the orderly close: thousands of probes would otherwise
    // leave as many connections in TIME_WAIT, and the server learns nothing new.
    const linger reset{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    epoll_ctl(m_epoll.get(), EPOLL_CTL_DEL, fd, nullptr);
    m_probeBySocket.erase(fd);
    ::close(fd);
}

void TcpConnectChannel::settle(ProbeId id, bool answered, std::vector<ProbeOutcome>* outcomes)
{
    const auto found = m_probes.find(id);
    if (found == m_probes.end())
        return;
    for (int fd : found->second.sockets)
        closeSocket(fd);
    m_probes.erase(found);
    if (outcomes)
        outcomes->push_back(ProbeOutcome{id, answered, {}});
}

ProbeStatus TcpConnectChannel::begin(ProbeId id, uint32_t address)
{
    if (!usable())
        return ProbeStatus::Failed;
    Probe probe;
    for (uint16_t port : m_ports) {
        const int fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
        if (fd < 0) {
            // Out of descriptors is this process's trouble, not the host's answer.
            qCDebug(kestrovaProbe) << "TCP probe socket refused:" << PlatformError::fromErrno(errno).message;
            for (int open : probe.sockets)
                ::close(open);
            return ProbeStatus::Failed;
        }
        sockaddr_in target{};
        target.sin_family = AF_INET;
        target.sin_addr.s_addr = address;
        target.sin_port = htons(port);
        int result;
        do {
            result = ::connect(fd, reinterpret_cast<const sockaddr*>(&target), sizeof target);
        } while (result != 0 && errno == EINTR);
        const int error = result == 0 ? 0 : errno;
        if (error == EINPROGRESS) {
            probe.sockets.push_back(fd);
            continue;
        }
        ::close(fd);
        if (ConnectProvesHost(error)) {
            for (int open : probe.sockets)
                ::close(open);
            return ProbeStatus::Answered;
        }
        ++probe.failedPorts;
    }
    if (probe.sockets.empty())
        return ProbeStatus::Failed;
    for (int fd : probe.sockets) {
        epoll_event event{};
        event.events = EPOLLOUT | EPOLLERR | EPOLLHUP;
        event.data.fd = fd;
        epoll_ctl(m_epoll.get(), EPOLL_CTL_ADD, fd, &event);
        m_probeBySocket.emplace(fd, id);
    }
    m_probes.emplace(id, std::move(probe));
    return ProbeStatus::Pending;
}

void TcpConnectChannel::cancel(ProbeId id)
{
    settle(id, false, nullptr);
}

void TcpConnectChannel::collect(std::vector<ProbeOutcome>& outcomes)
{
    if (!m_epoll.valid())
        return;
    epoll_event events[64];
    for (;;) {
        const int count = epoll_wait(m_epoll.get(), events, 64, 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        for (int i = 0; i < count; ++i) {
            const int fd = events[i].data.fd;
            const auto owner = m_probeBySocket.find(fd);
            if (owner == m_probeBySocket.end())
                continue; // its probe settled earlier in this batch
            const ProbeId id = owner->second;
            int error = 0;
            socklen_t length = sizeof error;
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
            if (ConnectProvesHost(error)) {
                settle(id, true, &outcomes);
                continue;
            }
            Probe& probe = m_probes[id];
            closeSocket(fd);
            std::erase(probe.sockets, fd);
            ++probe.failedPorts;
            if (probe.sockets.empty())
                settle(id, false, &outcomes);
        }
    }
}
