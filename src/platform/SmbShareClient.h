#pragma once

#include "platform/ShareClient.h"
#include "platform/SmbAgentProcess.h"

#include <QHash>

#include <memory>

// ShareClient over a kestrova-smb-agent child process (libsmbclient).
//
// Threading and cancellation: as ShareClient; one client (and its agent)
// serves one thread. Before the first call that reaches a host, TCP port 445
// is probed with a short time-out, and a host that refuses or does not answer
// fails every later call at once with the probe's error.
class SmbShareClient : public ShareClient {
public:
    explicit SmbShareClient(const SmbAgentOptions& options = {});
    ~SmbShareClient() override;

    PlatformError listShares(const QString& host, std::vector<ShareInfo>& shares) override;
    PlatformError connect(const QString& remotePath, const std::optional<QString>& user,
                          const std::optional<QString>& password) override;
    void cancelConnection(const QString& remotePath) override;
    PlatformError listFolder(const QString& folder, std::vector<ShareDirEntry>& entries) override;
    std::unique_ptr<ByteSource> openFile(const QString& path, PlatformError& error) override;

    // The agent serving this client; tests end it to simulate a crash.
    SmbAgentProcess& agent() { return *m_agent; }

    // The share type libsmbclient reports (SMBC_FILE_SHARE, ...) as ShareType.
    static ShareType shareTypeFromSmbc(uint32_t smbcType);

private:
    PlatformError checkHost(const QString& host);
    std::shared_ptr<SmbAgentProcess> m_agent;
    QHash<QString, PlatformError> m_probedHosts; // lower-case host -> probe outcome
};

class SmbShareClientFactory : public ShareClientFactory {
public:
    explicit SmbShareClientFactory(const SmbAgentOptions& options = {}) : m_options(options) {}
    std::unique_ptr<ShareClient> create() override;

private:
    SmbAgentOptions m_options;
};
