#pragma once

#include "platform/FileStore.h"
#include "platform/SmbShareClient.h"

#include <QSet>
#include <functional>

// The shares of the network as a FileStore, over one SMB agent that serves every
// host. Before the first operation on a share the logon hook runs once for it
// (the program logs on with the stored accounts there); without one, or when no
// account works, the share is used anonymously.
class SmbFileStore : public FileStore {
public:
    using LogonHook = std::function<void(ShareClient& client, const QString& sharePath)>;

    explicit SmbFileStore(const SmbAgentOptions& options = {}, LogonHook logon = {});

    PlatformError stat(const QString& path, FileStoreStat& stat) override;
    PlatformError list(const QString& folder, std::vector<FileStoreEntry>& entries) override;
    Result<std::unique_ptr<ByteSource>> openRead(const QString& path) override;
    Result<std::unique_ptr<FileStoreWriter>> create(const QString& path, bool exclusive) override;
    PlatformError removeFile(const QString& path) override;
    PlatformError makeFolder(const QString& path) override;
    PlatformError removeFolder(const QString& path) override;
    PlatformError rename(const QString& path, const QString& newPath, bool replace) override;

    SmbShareClient& client() { return m_client; }

private:
    // Runs the logon hook for the path's share the first time it is used.
    void logOnFor(const QString& path);

    SmbShareClient m_client;
    LogonHook m_logon;
    QSet<QString> m_loggedOn; // share paths, lower case
};
