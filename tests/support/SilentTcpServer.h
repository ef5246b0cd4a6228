#pragma once

#include <QString>
#include <cstdint>

// A TCP port that accepts connections (the kernel completes them from the
// listen backlog) and never says a word: a server that hangs. Ports below 1024
// need root; ok() tells whether the port could be taken.
class SilentTcpServer {
public:
    SilentTcpServer(const QString& address, uint16_t port);
    ~SilentTcpServer();
    SilentTcpServer(const SilentTcpServer&) = delete;
    SilentTcpServer& operator=(const SilentTcpServer&) = delete;

    bool ok() const { return m_fd >= 0; }
    const QString& error() const { return m_error; }

private:
    int m_fd = -1;
    QString m_error;
};
