#pragma once

#include "engine/ports/ShareClient.h"
#include "platform/SmbAgentProcess.h"
#include "platform/UncPath.h"

#include <QHash>
#include <memory>

class SmbFileWriter;

// What Stat tells of a file or folder on a share.
struct ShareFileStat {
    bool folder = false;
    int64_t size = 0;
    int64_t writeTime = 0; // seconds since the Unix epoch (UTC)
};

// ShareClient over a kestrova-smb-agent child process (libsmbclient).
//
// Threading and cancellation: as ShareClient; one client (and its agent)
// serves one thread. Before the first call that reaches a host, TCP port 445
// is probed with a short time-out, and a host that refuses or does not answer
// fails every later call at once with the probe's error.
//
// Prefetch: with options.prefetchAgents > 0, prefetchFolder notes the folder and
// returns at once. Noted folders go to idle helper agents, the most recently
// noted first (a depth-first walk announces a folder's subfolders last to first,
// so the latest is the one it lists next); a helper's reply is collected as soon
// as it is there, which frees the helper for the next folder. listFolder of a
// folder takes its prefetched reply, waits for it if it is in flight, or lists it
// on the main agent. Helpers replay this client's logons and cancellations
// before they list, so they see what the main agent sees. A prefetched listing
// that failed is listed again on the main agent, so a prefetch never changes a
// result, only when it is ready.
class SmbShareClient : public ShareClient {
public:
    explicit SmbShareClient(const SmbAgentOptions& options = {});
    ~SmbShareClient() override;

    Result<std::vector<ShareInfo>> listShares(const QString& host) override;
    Result<void> connect(const QString& remotePath, const std::optional<QString>& user,
                         const std::optional<QString>& password) override;
    void cancelConnection(const QString& remotePath) override;
    Result<std::vector<ShareDirEntry>> listFolder(const QString& folder) override;
    Result<std::unique_ptr<ByteSource>> openFile(const QString& path) override;
    void prefetchFolder(const QString& folder) override;
    // True when the agent's open of the share's top folder for writing got past the
    // server's access check and the folder's ACL lets Everyone or Authenticated Users
    // add files (ShareWriteEvidence.h). Nothing on the share is created or changed.
    Result<bool> writeAccess(const QString& share) override;

    // Changing files on shares, for the file operations on results (a search never
    // writes). Paths and host probing as for the calls above.
    Result<ShareFileStat> stat(const QString& path);
    PlatformError removeFile(const QString& path);
    PlatformError makeFolder(const QString& path);
    // The folder must be empty.
    PlatformError removeFolder(const QString& path);
    // Within one share (else EXDEV). Without replace an existing target fails
    // with EEXIST; libsmbclient alone would silently replace it.
    PlatformError rename(const QString& path, const QString& newPath, bool replace);
    // A new file to write; exclusive fails with EEXIST when the file exists,
    // otherwise an existing file is emptied.
    Result<std::unique_ptr<SmbFileWriter>> createFile(const QString& path, bool exclusive);

    // The agent serving this client; tests end it to simulate a crash.
    SmbAgentProcess& agent() { return *m_agent; }
    // How many listFolder calls were answered by a helper's prefetched listing.
    int prefetchedListings() const { return m_prefetchedListings; }

    // The share type libsmbclient reports (SMBC_FILE_SHARE, ...) as ShareType.
    static ShareType shareTypeFromSmbc(uint32_t smbcType);

private:
    struct Helper {
        std::unique_ptr<SmbAgentProcess> agent;
        size_t replayed = 0;   // entries of m_credentialLog this helper has run
        QString pendingFolder; // UNC of the listing in flight, empty when idle
    };
    // A helper's outcome for one folder, kept until the walk asks for it.
    struct Prefetched {
        PlatformError error;
        QByteArray reply;
    };

    Result<void> checkHost(const QString& host);
    // Parses a path below a share and probes its host.
    Result<UncPath> reachFile(const QString& path);
    PlatformError simpleCall(const QByteArray& request);
    Helper* idleHelper();
    void collectReplies();
    void collectReply(Helper& helper);
    void dispatchNoted();
    // The listing of folder when a helper's outcome settles it, else nothing.
    std::optional<Result<std::vector<ShareDirEntry>>> takePrefetched(const QString& folder);

    std::shared_ptr<SmbAgentProcess> m_agent;
    QHash<QString, PlatformError> m_probedHosts; // lower-case host -> probe outcome
    // Connect requests that succeeded and Cancel requests, in order: what a
    // helper replays to reach the main agent's logon state.
    std::vector<QByteArray> m_credentialLog;
    std::vector<Helper> m_helpers;
    std::vector<QString> m_noted;            // folders to prefetch; the last is needed soonest
    QHash<QString, Prefetched> m_prefetched; // UNC -> a helper's finished listing
    int m_prefetchedListings = 0;
};

class SmbShareClientFactory : public ShareClientFactory {
public:
    explicit SmbShareClientFactory(const SmbAgentOptions& options = {}) : m_options(options) {}
    std::unique_ptr<ShareClient> create(std::stop_token stop) override;

private:
    SmbAgentOptions m_options;
};
