#pragma once

#include "engine/ports/ByteSource.h"
#include "engine/ports/Result.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <stop_token>
#include <vector>

// What the engine asks of the SMB stack for one host. Paths are UNC
// (\\HOST, \\HOST\share, \\HOST\share\dir\name); names come back raw.
//
// Threading and cancellation: one client serves one worker thread. Every call is
// bounded in time and returns soon after the client's stop token is set (a call blocked in the
// network is abandoned), reporting a failure.
enum class ShareType { Disk, Printer, Comms, Ipc, Other };

struct ShareInfo {
    QString name;
    ShareType type = ShareType::Other;
    QString comment; // the remark the host's share list gives, often empty
};

struct ShareDirEntry {
    QString name;
    uint32_t attributes = 0; // Windows attribute bits (read-only, hidden, system, directory, archive)
    int64_t size = 0;
    int64_t writeTime = 0; // last write, seconds since the Unix epoch (UTC)
};

class ShareClient {
public:
    virtual ~ShareClient() = default;

    // The shares of \\HOST with their types, in the order the host reports them.
    virtual Result<std::vector<ShareInfo>> listShares(const QString& host) = 0;
    // One connection attempt to \\HOST or \\HOST\share. No user means the current
    // user's name; no password means an empty one. On success later calls for that
    // path (and below it) use these credentials.
    virtual Result<void> connect(const QString& remotePath, const std::optional<QString>& user,
                                 const std::optional<QString>& password) = 0;
    // Drops the connection to that path and forgets its credentials; outcome ignored.
    virtual void cancelConnection(const QString& remotePath) = 0;
    // Every entry of the folder, "." and ".." included if the server sends them.
    virtual Result<std::vector<ShareDirEntry>> listFolder(const QString& folder) = 0;
    // A hint that listFolder(folder) will follow soon: a client may start the
    // listing now, in parallel with other work. Listings still reach the caller
    // only through listFolder, in the order it asks for them.
    virtual void prefetchFolder(const QString& folder) { (void)folder; }
    // Whether the current logon may write to the share \\HOST\share, asked without
    // writing: true only when the server said so. A client that cannot ask says false.
    virtual Result<bool> writeAccess(const QString& share)
    {
        (void)share;
        return false;
    }
    // A reader of the file's bytes, never null on success.
    virtual Result<std::unique_ptr<ByteSource>> openFile(const QString& path) = 0;
};

class ShareClientFactory {
public:
    virtual ~ShareClientFactory() = default;
    // A client whose calls give up once stop is requested.
    virtual std::unique_ptr<ShareClient> create(std::stop_token stop) = 0;
};
