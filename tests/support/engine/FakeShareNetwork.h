#pragma once

#include "engine/ports/ShareClient.h"

#include <QByteArray>
#include <QString>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

// An in-memory SMB network for engine tests: hosts with typed shares, folder trees
// (entries in insertion order), file contents, paths that fail to list, accounts a
// path accepts, and folder links (a folder that lists as another one, like a
// symbolic link). Clients made by its factory record what they were asked.
// Thread-safe: many workers use it at once.
class FakeShareNetwork {
public:
    struct ConnectAttempt {
        QString path;
        std::optional<QString> user;
        std::optional<QString> password;
        bool succeeded = false;
        friend bool operator==(const ConnectAttempt&, const ConnectAttempt&) = default;
    };

    void addShare(const QString& host, const QString& name, ShareType type = ShareType::Disk,
                  const QString& comment = {});
    void failShareList(const QString& host, int code, const QString& message);
    // Adds a file (parents created as folders on first use) and returns its path.
    void addFile(const QString& path, const QByteArray& content = {}, uint32_t attributes = 0x20,
                 int64_t writeTime = 1'600'000'000, std::optional<int64_t> size = {});
    void addFolder(const QString& path, uint32_t attributes = 0x10, int64_t writeTime = 1'600'000'000);
    // Every listing of path (and below it) gives the listing of target instead.
    void linkFolder(const QString& path, const QString& target, int64_t writeTime = 1'600'000'000);
    void failList(const QString& path, int code, const QString& message);
    // Listing below root also sends "." and ".." (like Samba).
    void sendDotEntries(bool send) { m_dotEntries = send; }
    // A connection to path succeeds only with exactly these credentials (several may be added).
    void acceptCredentials(const QString& path, std::optional<QString> user, std::optional<QString> password);
    // Listing below a protected share path fails with EACCES unless a connection to
    // the share or its host has been made (and not cancelled since).
    void protectShare(const QString& sharePath);
    // The write check of sharePath answers this (by default: false, no evidence).
    void answerWriteCheck(const QString& sharePath, Result<bool> answer);
    // Called (outside the lock) at every listing, e.g. to stop a search in the middle.
    void onListFolder(std::function<void(const QString& folder)> hook);
    // Called (outside the lock) when a client lists a host's shares.
    void onListShares(std::function<void(const QString& host)> hook);

    std::vector<ConnectAttempt> connectAttempts();
    std::vector<QString> cancelledConnections();
    std::vector<QString> listedFolders();
    std::vector<QString> openedFiles();
    std::vector<QString> prefetchHints();
    std::vector<QString> shareListings();
    std::vector<QString> writeChecks();
    int clientsCreated() const { return m_clientsCreated.load(); }

    // The client side (used by FakeShareClient).
    Result<std::vector<ShareInfo>> listShares(const QString& host);
    Result<void> connect(const QString& path, const std::optional<QString>& user,
                         const std::optional<QString>& password);
    void cancelConnection(const QString& path);
    Result<std::vector<ShareDirEntry>> listFolder(const QString& folder);
    Result<std::unique_ptr<ByteSource>> openFile(const QString& path);
    void prefetchFolder(const QString& folder);
    Result<bool> writeAccess(const QString& share);
    void countClient() { ++m_clientsCreated; }

private:
    struct Node {
        ShareDirEntry entry;
        QByteArray content;
        std::vector<QString> children; // full paths, in insertion order
        QString linkTarget;
    };
    Node& ensureFolder(const QString& path);
    void addChild(const QString& path, Node node);
    QString resolve(const QString& path) const;

    std::mutex m_mutex;
    std::map<QString, std::vector<ShareInfo>> m_shares;
    std::map<QString, PlatformError> m_shareListErrors;
    std::map<QString, Node> m_nodes;
    std::map<QString, PlatformError> m_listErrors;
    std::map<QString, std::vector<std::pair<std::optional<QString>, std::optional<QString>>>> m_credentials;
    std::vector<QString> m_protected;
    std::vector<QString> m_connected;
    std::function<void(const QString&)> m_listHook;
    std::function<void(const QString&)> m_shareListHook;
    bool m_dotEntries = false;
    std::vector<ConnectAttempt> m_attempts;
    std::vector<QString> m_cancelled;
    std::vector<QString> m_listed;
    std::vector<QString> m_opened;
    std::vector<QString> m_prefetched;
    std::vector<QString> m_shareListings;
    std::map<QString, Result<bool>> m_writeAnswers;
    std::vector<QString> m_writeChecks;
    std::atomic<int> m_clientsCreated{0};
};

class FakeShareClient : public ShareClient {
public:
    explicit FakeShareClient(FakeShareNetwork& network) : m_network(network) {}
    Result<std::vector<ShareInfo>> listShares(const QString& host) override
    {
        return m_network.listShares(host);
    }
    Result<void> connect(const QString& remotePath, const std::optional<QString>& user,
                         const std::optional<QString>& password) override
    {
        return m_network.connect(remotePath, user, password);
    }
    void cancelConnection(const QString& remotePath) override { m_network.cancelConnection(remotePath); }
    Result<std::vector<ShareDirEntry>> listFolder(const QString& folder) override
    {
        return m_network.listFolder(folder);
    }
    Result<std::unique_ptr<ByteSource>> openFile(const QString& path) override
    {
        return m_network.openFile(path);
    }
    void prefetchFolder(const QString& folder) override { m_network.prefetchFolder(folder); }
    Result<bool> writeAccess(const QString& share) override { return m_network.writeAccess(share); }

private:
    FakeShareNetwork& m_network;
};

class FakeShareClientFactory : public ShareClientFactory {
public:
    explicit FakeShareClientFactory(FakeShareNetwork& network) : m_network(network) {}
    std::unique_ptr<ShareClient> create(std::stop_token) override
    {
        m_network.countClient();
        return std::make_unique<FakeShareClient>(m_network);
    }

private:
    FakeShareNetwork& m_network;
};
