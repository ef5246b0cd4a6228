#pragma once

#include "engine/ports/ShareClient.h"

#include <memory>
#include <utility>

// A share client that hands every call to another one: the base for wrappers that
// watch or count what a search does with its clients (benchmarks, tests) and override
// only the calls they care about.
class ForwardingShareClient : public ShareClient {
public:
    explicit ForwardingShareClient(std::unique_ptr<ShareClient> inner) : m_inner(std::move(inner)) {}

    Result<std::vector<ShareInfo>> listShares(const QString& host) override
    {
        return m_inner->listShares(host);
    }
    Result<void> connect(const QString& remotePath, const std::optional<QString>& user,
                         const std::optional<QString>& password) override
    {
        return m_inner->connect(remotePath, user, password);
    }
    void cancelConnection(const QString& remotePath) override { m_inner->cancelConnection(remotePath); }
    Result<std::vector<ShareDirEntry>> listFolder(const QString& folder) override
    {
        return m_inner->listFolder(folder);
    }
    void prefetchFolder(const QString& folder) override { m_inner->prefetchFolder(folder); }
    Result<bool> writeAccess(const QString& share) override { return m_inner->writeAccess(share); }
    Result<std::unique_ptr<ByteSource>> openFile(const QString& path) override
    {
        return m_inner->openFile(path);
    }

protected:
    ShareClient& inner() { return *m_inner; }

private:
    std::unique_ptr<ShareClient> m_inner;
};
