#include "platform/DatagramSocket.h"

#include <cerrno>
#include <cstring>
#include <linux/errqueue.h>
#include <netinet/in.h>
#include <sys/socket.h>

void RaiseSocketBuffers(int fd, int bytes)
{
    // The FORCE variants pass net.core.rmem_max/wmem_max but need CAP_NET_ADMIN.
    if (setsockopt(fd, SOL_SOCKET, SO_RCVBUFFORCE, &bytes, sizeof bytes) != 0)
        setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
    if (setsockopt(fd, SOL_SOCKET, SO_SNDBUFFORCE, &bytes, sizeof bytes) != 0)
        setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
}

int SendDatagram(int fd, const void* data, size_t size, uint32_t address, uint16_t port)
{
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_addr.s_addr = address;
    target.sin_port = htons(port);
    int error = 0;
    for (int attempt = 0; attempt < 2; ++attempt) {
        ssize_t sent;
        do {
            sent = sendto(fd, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&target),
                          sizeof target);
        } while (sent < 0 && errno == EINTR);
        if (sent >= 0)
            return 0;
        error = errno;
        // EACCES (a broadcast address) and EINVAL are about this destination itself.
        if (error == EACCES || error == EINVAL)
            break;
    }
    return error;
}

bool EnableQueuedErrors(int fd)
{
    const int on = 1;
    return setsockopt(fd, IPPROTO_IP, IP_RECVERR, &on, sizeof on) == 0;
}

void ReadQueuedErrors(int fd, std::vector<QueuedSocketError>& errors)
{
    for (;;) {
        char payload[64];
        char control[512];
        sockaddr_in destination{};
        iovec io{payload, sizeof payload};
        msghdr message{};
        message.msg_name = &destination;
        message.msg_namelen = sizeof destination;
        message.msg_iov = &io;
        message.msg_iovlen = 1;
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        const ssize_t received = recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (cmsghdr* header = CMSG_FIRSTHDR(&message); header; header = CMSG_NXTHDR(&message, header)) {
            if (header->cmsg_level != IPPROTO_IP || header->cmsg_type != IP_RECVERR)
                continue;
            sock_extended_err extended;
            std::memcpy(&extended, CMSG_DATA(header), sizeof extended);
            QueuedSocketError error;
            error.destination = destination.sin_addr.s_addr;
            error.error = static_cast<int>(extended.ee_errno);
            error.fromIcmp = extended.ee_origin == SO_EE_ORIGIN_ICMP;
            error.payload = QByteArray(payload, static_cast<qsizetype>(received));
            errors.push_back(std::move(error));
        }
    }
    // Without IP_RECVERR (or once the queue is empty) a hard ICMP error still sits on
    // the socket; reading it keeps the next send from failing.
    int pending = 0;
    socklen_t length = sizeof pending;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &pending, &length);
}
