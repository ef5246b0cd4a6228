#include "platform/UdpMulticast.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <net/if.h>

QString TSocketAddress::addressText() const
{
    char text[INET6_ADDRSTRLEN] = {};
    if (family() == AF_INET) {
        const auto* v4 = reinterpret_cast<const sockaddr_in*>(&storage);
        inet_ntop(AF_INET, &v4->sin_addr, text, sizeof text);
        return QString::fromLatin1(text);
    }
    if (family() == AF_INET6) {
        const auto* v6 = reinterpret_cast<const sockaddr_in6*>(&storage);
        inet_ntop(AF_INET6, &v6->sin6_addr, text, sizeof text);
        QString result = QString::fromLatin1(text);
        char name[IF_NAMESIZE] = {};
        if (IN6_IS_ADDR_LINKLOCAL(&v6->sin6_addr) && v6->sin6_scope_id != 0 &&
            if_indextoname(v6->sin6_scope_id, name))
            result += u'%' + QString::fromLocal8Bit(name);
        return result;
    }
    return {};
}

uint16_t TSocketAddress::port() const
{
    if (family() == AF_INET)
        return ntohs(reinterpret_cast<const sockaddr_in*>(&storage)->sin_port);
    if (family() == AF_INET6)
        return ntohs(reinterpret_cast<const sockaddr_in6*>(&storage)->sin6_port);
    return 0;
}

TSocketAddress TSocketAddress::Ipv4(uint32_t address, uint16_t port)
{
    TSocketAddress result;
    auto* v4 = reinterpret_cast<sockaddr_in*>(&result.storage);
    v4->sin_family = AF_INET;
    v4->sin_addr.s_addr = address;
    v4->sin_port = htons(port);
    result.length = sizeof(sockaddr_in);
    return result;
}

std::optional<TSocketAddress> TSocketAddress::Ipv6(const char* text, uint16_t port, unsigned scope)
{
    TSocketAddress result;
    auto* v6 = reinterpret_cast<sockaddr_in6*>(&result.storage);
    v6->sin6_family = AF_INET6;
    if (inet_pton(AF_INET6, text, &v6->sin6_addr) != 1)
        return std::nullopt;
    v6->sin6_port = htons(port);
    v6->sin6_scope_id = scope;
    result.length = sizeof(sockaddr_in6);
    return result;
}

namespace {

template <typename T> bool SetOption(int fd, int level, int name, const T& value)
{
    return setsockopt(fd, level, name, &value, sizeof value) == 0;
}

UniqueFd OpenIpv4Sender(uint32_t interfaceAddress, uint16_t bindPort)
{
    UniqueFd fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP));
    const TSocketAddress local = TSocketAddress::Ipv4(interfaceAddress, bindPort);
    const in_addr outgoing{interfaceAddress};
    const unsigned char ttl = 1; // link-local protocols: never routed
    if (!fd.valid() || (bindPort != 0 && !SetOption(fd.get(), SOL_SOCKET, SO_REUSEADDR, 1)) ||
        bind(fd.get(), reinterpret_cast<const sockaddr*>(&local.storage), local.length) != 0 ||
        !SetOption(fd.get(), IPPROTO_IP, IP_MULTICAST_IF, outgoing) ||
        !SetOption(fd.get(), IPPROTO_IP, IP_MULTICAST_TTL, ttl))
        return UniqueFd();
    return fd;
}

UniqueFd OpenIpv6Sender(unsigned index, uint16_t bindPort)
{
    UniqueFd fd(socket(AF_INET6, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP));
    sockaddr_in6 local{};
    local.sin6_family = AF_INET6;
    local.sin6_port = htons(bindPort);
    if (!fd.valid() || !SetOption(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, 1) ||
        (bindPort != 0 && !SetOption(fd.get(), SOL_SOCKET, SO_REUSEADDR, 1)) ||
        bind(fd.get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
        !SetOption(fd.get(), IPPROTO_IPV6, IPV6_MULTICAST_IF, index) ||
        !SetOption(fd.get(), IPPROTO_IPV6, IPV6_MULTICAST_HOPS, 1))
        return UniqueFd();
    return fd;
}

UniqueFd OpenSharedPort(int family, uint16_t port)
{
    UniqueFd fd(socket(family, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, IPPROTO_UDP));
    if (!fd.valid() || !SetOption(fd.get(), SOL_SOCKET, SO_REUSEADDR, 1) ||
        !SetOption(fd.get(), SOL_SOCKET, SO_REUSEPORT, 1))
        return UniqueFd();
    int bound = -1;
    if (family == AF_INET) {
        const TSocketAddress any = TSocketAddress::Ipv4(INADDR_ANY, port);
        bound = bind(fd.get(), reinterpret_cast<const sockaddr*>(&any.storage), any.length);
    } else {
        sockaddr_in6 any{};
        any.sin6_family = AF_INET6;
        any.sin6_port = htons(port);
        bound = SetOption(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, 1)
                    ? bind(fd.get(), reinterpret_cast<const sockaddr*>(&any), sizeof any)
                    : -1;
    }
    return bound == 0 ? std::move(fd) : UniqueFd();
}

} // namespace

std::vector<TMulticastSender> OpenMulticastSenders(const std::vector<TMulticastInterface>& interfaces,
                                                   const char* ipv4Group, const char* ipv6Group,
                                                   uint16_t port, uint16_t bindPort)
{
    std::vector<TMulticastSender> senders;
    for (const TMulticastInterface& interface : interfaces) {
        if (interface.ipv4Address != 0 && ipv4Group) {
            UniqueFd fd = OpenIpv4Sender(interface.ipv4Address, bindPort);
            in_addr group{};
            if (fd.valid() && inet_pton(AF_INET, ipv4Group, &group) == 1)
                senders.push_back({std::move(fd), TSocketAddress::Ipv4(group.s_addr, port), interface.name});
        }
        if (interface.hasIpv6 && ipv6Group) {
            UniqueFd fd = OpenIpv6Sender(interface.index, bindPort);
            const std::optional<TSocketAddress> group =
                TSocketAddress::Ipv6(ipv6Group, port, interface.index);
            if (fd.valid() && group)
                senders.push_back({std::move(fd), *group, interface.name});
        }
    }
    return senders;
}

std::vector<UniqueFd> OpenGroupListeners(const std::vector<TMulticastInterface>& interfaces,
                                         const char* ipv4Group, const char* ipv6Group, uint16_t port)
{
    std::vector<UniqueFd> listeners;
    if (ipv4Group) {
        UniqueFd fd = OpenSharedPort(AF_INET, port);
        ip_mreqn request{};
        bool joined = false;
        if (fd.valid() && inet_pton(AF_INET, ipv4Group, &request.imr_multiaddr) == 1) {
            for (const TMulticastInterface& interface : interfaces) {
                if (interface.ipv4Address == 0)
                    continue;
                request.imr_ifindex = static_cast<int>(interface.index);
                joined = SetOption(fd.get(), IPPROTO_IP, IP_ADD_MEMBERSHIP, request) || joined;
            }
        }
        if (joined)
            listeners.push_back(std::move(fd));
    }
    if (ipv6Group) {
        UniqueFd fd = OpenSharedPort(AF_INET6, port);
        ipv6_mreq request{};
        bool joined = false;
        if (fd.valid() && inet_pton(AF_INET6, ipv6Group, &request.ipv6mr_multiaddr) == 1) {
            for (const TMulticastInterface& interface : interfaces) {
                if (!interface.hasIpv6)
                    continue;
                request.ipv6mr_interface = interface.index;
                joined = SetOption(fd.get(), IPPROTO_IPV6, IPV6_ADD_MEMBERSHIP, request) || joined;
            }
        }
        if (joined)
            listeners.push_back(std::move(fd));
    }
    return listeners;
}

bool SendTo(int fd, const QByteArray& datagram, const TSocketAddress& destination)
{
    ssize_t sent;
    do {
        sent = sendto(fd, datagram.constData(), static_cast<size_t>(datagram.size()), MSG_NOSIGNAL,
                      reinterpret_cast<const sockaddr*>(&destination.storage), destination.length);
    } while (sent < 0 && errno == EINTR);
    return sent == datagram.size();
}

bool ReceiveFrom(int fd, QByteArray& datagram, TSocketAddress& source, int maxSize, bool& truncated)
{
    datagram.resize(maxSize + 1);
    source.length = sizeof source.storage;
    ssize_t received;
    do {
        received =
            recvfrom(fd, datagram.data(), static_cast<size_t>(datagram.size()), MSG_DONTWAIT | MSG_TRUNC,
                     reinterpret_cast<sockaddr*>(&source.storage), &source.length);
    } while (received < 0 && errno == EINTR);
    if (received < 0)
        return false;
    truncated = received > maxSize;
    datagram.resize(static_cast<qsizetype>(std::min<ssize_t>(received, maxSize)));
    return true;
}
