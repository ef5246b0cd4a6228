#include "support/engine/CountingShareClients.h"

#include "platform/ForwardingShareClient.h"

class CountingShareClients::Client : public ForwardingShareClient {
public:
    Client(std::unique_ptr<ShareClient> inner, CountingShareClients& owner)
        : ForwardingShareClient(std::move(inner)), m_owner(owner)
    {
    }
    ~Client() override { m_owner.m_alive.fetch_sub(1); }

    void cancelConnection(const QString& remotePath) override
    {
        {
            std::lock_guard lock(m_owner.m_cancelledLock);
            m_owner.m_cancelled.append(remotePath);
        }
        ForwardingShareClient::cancelConnection(remotePath);
    }

    Result<std::vector<ShareDirEntry>> listFolder(const QString& folder) override
    {
        if (m_owner.beforeList)
            m_owner.beforeList(folder);
        return ForwardingShareClient::listFolder(folder);
    }

private:
    CountingShareClients& m_owner;
};

std::unique_ptr<ShareClient> CountingShareClients::create(std::stop_token stop)
{
    std::unique_ptr<ShareClient> inner = m_inner.create(std::move(stop));
    m_created.fetch_add(1);
    const int alive = m_alive.fetch_add(1) + 1;
    int most = m_mostAlive.load();
    while (alive > most && !m_mostAlive.compare_exchange_weak(most, alive)) {
    }
    return std::make_unique<Client>(std::move(inner), *this);
}

QStringList CountingShareClients::cancelledConnections() const
{
    std::lock_guard lock(m_cancelledLock);
    return m_cancelled;
}
