#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

// A tiny NetBIOS name service for tests: a UDP socket bound to address:port that
// answers node status requests with a one-name status reply. It binds in the
// network namespace of the thread that creates it.
class NetBiosResponder {
public:
    enum class Mode {
        Answer,     // a well-formed node status reply
        Silent,     // reads requests, never answers
        ShortReply, // answers with 11 bytes, less than a name service header
    };
    struct Request {
        QByteArray bytes;
        std::chrono::steady_clock::time_point received;
    };

    // port 0 picks a free port. Throws std::runtime_error when the socket cannot bind.
    explicit NetBiosResponder(const QString& address, uint16_t port = 0, Mode mode = Mode::Answer);
    ~NetBiosResponder();
    NetBiosResponder(const NetBiosResponder&) = delete;
    NetBiosResponder& operator=(const NetBiosResponder&) = delete;

    uint16_t port() const { return m_port; }
    std::vector<Request> requests() const;

    // The node status reply to request, naming one unique workstation name.
    static QByteArray BuildNodeStatusReply(const QByteArray& request, const QByteArray& name);

private:
    void serve();

    int m_socket = -1;
    uint16_t m_port = 0;
    Mode m_mode;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_lock;
    std::vector<Request> m_requests;
    std::thread m_thread;
};
