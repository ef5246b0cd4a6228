#include "support/SilentTcpServer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

SilentTcpServer::SilentTcpServer(const QString& address, uint16_t port)
{
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    ::inet_pton(AF_INET, address.toLatin1().constData(), &local.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) < 0 || ::listen(fd, 16) < 0) {
        m_error =
            QStringLiteral("%1:%2: %3").arg(address).arg(port).arg(QString::fromLocal8Bit(strerror(errno)));
        ::close(fd);
        return;
    }
    m_fd = fd;
}

SilentTcpServer::~SilentTcpServer()
{
    if (m_fd >= 0)
        ::close(m_fd);
}
