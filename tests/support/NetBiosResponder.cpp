#include "support/NetBiosResponder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

NetBiosResponder::NetBiosResponder(const QString& address, uint16_t port, Mode mode) : m_mode(mode)
{
    m_socket = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (m_socket < 0 || inet_pton(AF_INET, address.toLatin1().constData(), &local.sin_addr) != 1 ||
        bind(m_socket, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        if (m_socket >= 0)
            close(m_socket);
        throw std::runtime_error("NetBiosResponder: cannot bind " + address.toStdString());
    }
    socklen_t length = sizeof local;
    getsockname(m_socket, reinterpret_cast<sockaddr*>(&local), &length);
    m_port = ntohs(local.sin_port);
    m_thread = std::thread([this] { serve(); });
}

NetBiosResponder::~NetBiosResponder()
{
    m_stop = true;
    m_thread.join();
    close(m_socket);
}

std::vector<NetBiosResponder::Request> NetBiosResponder::requests() const
{
    std::lock_guard guard(m_lock);
    return m_requests;
}

QByteArray NetBiosResponder::BuildNodeStatusReply(const QByteArray& request, const QByteArray& name)
{
    QByteArray reply;
    reply.append(request.left(2));                       // transaction identifier
    reply.append("\x84\x00", 2);                         // response, authoritative
    reply.append("\x00\x00\x00\x01\x00\x00\x00\x00", 8); // one answer
    reply.append(request.mid(12, 34));                   // the question name
    reply.append("\x00\x21\x00\x01", 4);                 // node status, IN
    reply.append("\x00\x00\x00\x00", 4);                 // time to live
    QByteArray data;
    data.append('\x01'); // one name
    data.append(name.leftJustified(15, ' ', true));
    data.append('\x00');               // workstation service
    data.append("\x04\x00", 2);        // active, unique
    data.append(QByteArray(46, '\0')); // unit identifier (MAC) and statistics
    reply.append(static_cast<char>(data.size() >> 8));
    reply.append(static_cast<char>(data.size() & 0xFF));
    reply.append(data);
    return reply;
}

void NetBiosResponder::serve()
{
    while (!m_stop) {
        pollfd wait{m_socket, POLLIN, 0};
        if (poll(&wait, 1, 20) <= 0)
            continue;
        char buffer[2048];
        sockaddr_in peer{};
        socklen_t peerLength = sizeof peer;
        const ssize_t received = recvfrom(m_socket, buffer, sizeof buffer, MSG_DONTWAIT,
                                          reinterpret_cast<sockaddr*>(&peer), &peerLength);
        if (received < 0)
            continue;
        const QByteArray request(buffer, static_cast<qsizetype>(received));
        {
            std::lock_guard guard(m_lock);
            m_requests.push_back(Request{request, std::chrono::steady_clock::now()});
        }
        QByteArray reply;
        if (m_mode == Mode::Answer && request.size() >= 50)
            reply = BuildNodeStatusReply(request, "KESTROVA-TEST");
        else if (m_mode == Mode::ShortReply)
            reply = request.left(11);
        if (!reply.isEmpty())
            sendto(m_socket, reply.constData(), static_cast<size_t>(reply.size()), 0,
                   reinterpret_cast<sockaddr*>(&peer), peerLength);
    }
}
