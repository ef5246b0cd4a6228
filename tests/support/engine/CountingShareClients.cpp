#include "support/engine/CountingShareClients.h"

class CountingShareClients::Client : public ShareClient {
public:
    Client(std::unique_ptr<ShareClient> inner, CountingShareClients& owner)
        : m_inner(std::move(inner)), m_owner(owner)
    {
    }
    ~Client() override { m_owner.m_alive.fetch_sub(1); }

    PlatformError listShares(const QString& host, std::vector<ShareInfo>& shares) override
    {
        return m_inner->listShares(host, shares);
    }
    PlatformError connect(const QString& remotePath, const std::optional<QString>& user,
                          const std::optional<QString>& password) override
    {
        return m_inner->connect(remotePath, user, password);
    }
    void cancelConnection(const QString& remotePath) override
    {
        {
            std::lock_guard lock(m_owner.m_cancelledLock);
            m_owner.m_cancelled.append(remotePath);
        }
        m_inner->cancelConnection(remotePath);
    }
    PlatformError listFolder(const QString& folder, std::vector<ShareDirEntry>& entries) override
    {
        return m_inner->listFolder(folder, entries);
    }
    void prefetchFolder(const QString& folder) override { m_inner->prefetchFolder(folder); }
    std::unique_ptr<ByteSource> openFile(const QString& path, PlatformError& error) override
    {
        return m_inner->openFile(path, error);
    }

private:
    std::unique_ptr<ShareClient> m_inner;
    CountingShareClients& m_owner;
};

std::unique_ptr<ShareClient> CountingShareClients::create()
{
    std::unique_ptr<ShareClient> inner = m_inner.create();
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
