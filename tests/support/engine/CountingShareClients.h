#pragma once

#include "engine/ports/ShareClient.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

// Wraps a share client factory and counts its clients: how many were created and
// how many were alive at once. A worker creates one client for its host, so the
// counts tell how many workers searched shares and how many did so at the same time.
// It also records every cancelConnection call, in order, and calls beforeList (if
// set; on the worker's thread) before each folder listing is passed on, so a test
// can break a server at an exact point of a walk.
class CountingShareClients : public ShareClientFactory {
public:
    explicit CountingShareClients(ShareClientFactory& inner) : m_inner(inner) {}

    std::unique_ptr<ShareClient> create(std::stop_token stop) override;

    int created() const { return m_created.load(); }
    int alive() const { return m_alive.load(); }
    int mostAliveAtOnce() const { return m_mostAlive.load(); }
    QStringList cancelledConnections() const;

    // Set before the search starts.
    std::function<void(const QString& folder)> beforeList;

private:
    class Client;

    ShareClientFactory& m_inner;
    std::atomic<int> m_created{0};
    std::atomic<int> m_alive{0};
    std::atomic<int> m_mostAlive{0};
    mutable std::mutex m_cancelledLock;
    QStringList m_cancelled;
};
