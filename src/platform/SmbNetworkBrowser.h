#pragma once

#include "engine/ports/NetworkBrowser.h"
#include "platform/SmbAgentProcess.h"

#include <QMutex>
#include <memory>
#include <optional>

// Enumeration resource fields as the browse service of the platform reports them.
constexpr int32_t kResourceScopeGlobalNet = 2;
constexpr int32_t kResourceTypeAny = 0;
constexpr int32_t kResourceTypeDisk = 1;
constexpr int32_t kResourceDisplayTypeShare = 3;

// An enumeration over entries fetched in full when it was opened, handed out in
// chunks of the size asked for.
class ResourceListEnumeration : public NetworkEnumeration {
public:
    explicit ResourceListEnumeration(std::vector<TNetResource> resources);
    Result<NetworkChunk> next(int maxEntries) override;

private:
    std::vector<TNetResource> m_resources;
    size_t m_position = 0;
};

// The network neighbourhood through a browse agent (libsmbclient over SMB1 and
// NetBIOS): the top holds workgroups, a workgroup its servers (\\NAME), a
// server its disk shares (\\NAME\share).
//
// Threading and cancellation: open() may be called from any thread, one call at
// a time per browser (a lock serialises them); each is bounded in time and gives
// up soon after the stop token given to it is set. A browse agent that was ended is replaced at the
// next open().
class SmbNetworkBrowser : public NetworkBrowser {
public:
    explicit SmbNetworkBrowser(const SmbAgentOptions& options = defaultOptions());
    ~SmbNetworkBrowser() override;

    Result<std::unique_ptr<NetworkEnumeration>> open(const TNetResource* container,
                                                     std::stop_token stop = {}) override;

    static SmbAgentOptions defaultOptions();
    // The resource for one listed entry below container (null: the top), or
    // nothing for entries that are not browsed (printers, IPC, files).
    static std::optional<TNetResource> resourceFor(const TNetResource* container, const QString& name,
                                                   uint32_t smbcType, const QString& comment);
    // The smb:// URL that lists the entries below container; empty when the
    // container cannot be browsed.
    static QString urlFor(const TNetResource* container);

private:
    QMutex m_mutex;
    SmbAgentOptions m_options;
    std::unique_ptr<SmbAgentProcess> m_agent;
};
