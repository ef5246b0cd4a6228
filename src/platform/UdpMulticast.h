#pragma once

#include "platform/FileDescriptor.h"
#include "platform/MulticastInterfaces.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <netinet/in.h>
#include <optional>
#include <sys/socket.h>
#include <vector>

// UDP sockets for multicast discovery protocols (WS-Discovery, mDNS), opened per
// interface so that each query leaves on every link. Plain helpers; a socket
// belongs to whoever opened it.

// An IPv4 or IPv6 socket address.
struct TSocketAddress {
    sockaddr_storage storage{};
    socklen_t length = 0;

    int family() const { return storage.ss_family; }
    // Dotted IPv4 or IPv6 text; IPv6 link-local addresses get "%interface".
    QString addressText() const;
    uint16_t port() const;

    static TSocketAddress Ipv4(uint32_t address, uint16_t port);
    // An IPv6 address in text form, with the interface index as its scope.
    static std::optional<TSocketAddress> Ipv6(const char* text, uint16_t port, unsigned scope);
};

// A socket that sends on one interface and receives the unicast replies to it.
struct TMulticastSender {
    UniqueFd socket;
    TSocketAddress group; // where queries go on this interface
    QString interfaceName;
};

// Senders to group:port on every interface of interfaces, one for IPv4 (where the
// interface has an address) and one for IPv6 (where it has IPv6 and ipv6Group is
// given). bindPort is the local port (0: any). Interfaces whose socket cannot be
// set up are left out.
std::vector<TMulticastSender> OpenMulticastSenders(const std::vector<TMulticastInterface>& interfaces,
                                                   const char* ipv4Group, const char* ipv6Group,
                                                   uint16_t port, uint16_t bindPort = 0);

// Sockets bound to port (shared with other programs through SO_REUSEADDR and
// SO_REUSEPORT) that joined the groups on every interface: they receive what is
// multicast there. Empty when the port cannot be bound.
std::vector<UniqueFd> OpenGroupListeners(const std::vector<TMulticastInterface>& interfaces,
                                         const char* ipv4Group, const char* ipv6Group, uint16_t port);

// Sends datagram to destination; false when the system refused it.
bool SendTo(int fd, const QByteArray& datagram, const TSocketAddress& destination);
// Reads one datagram without blocking (at most maxSize bytes; a longer one is
// reported with truncated set). False when nothing is waiting.
bool ReceiveFrom(int fd, QByteArray& datagram, TSocketAddress& source, int maxSize, bool& truncated);
