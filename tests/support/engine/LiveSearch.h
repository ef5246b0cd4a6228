#pragma once

#include "engine/HeadlessSearch.h"
#include "engine/HostProgress.h"
#include "engine/PumpDispatcher.h"
#include "model/DiscoverySettings.h"
#include "platform/CurlFtpClient.h"
#include "platform/HostChecker.h"
#include "platform/SmbNetworkBrowser.h"
#include "platform/SmbShareClient.h"
#include "support/engine/CountingShareClients.h"
#include "support/engine/RecordingHostChecker.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>
#include <memory>

// A whole search with the platform's own services, driven by the headless driver on
// the calling thread: SMB agents (SmbAgentProcess's current agent command), the
// libcurl FTP client on port 21, the SMB browse agent and the host checker with this
// machine's probes (NetBIOS node status sent to netBiosPort). The share clients and
// host checks go through recorders, so tests can see what a search touched.
// smbOptions are the share clients' agent options (prefetch agents, say).
class LiveSearch {
public:
    explicit LiveSearch(uint16_t netBiosPort = 137, const SmbAgentOptions& smbOptions = {});
    ~LiveSearch();
    LiveSearch(const LiveSearch&) = delete;
    LiveSearch& operator=(const LiveSearch&) = delete;

    THeadlessSearchResult run(const TThreadConfig& config, const TScopeRoot& root = {});
    // Stops the search run() is running, from any thread (as the stop command does).
    void requestStop();

    // Asked on the main thread between the calls it runs for the engine.
    std::function<bool()> stopWhen;
    // Called on the main thread for every hit as it is appended.
    std::function<void(const TItemRecord&)> onHit;
    // Multicast host discovery for the browse modes; null (the default): the NetBIOS
    // browse list only, so that no search of a test multicasts outside a namespace.
    HostDiscovery* hostDiscovery = nullptr;
    // The stored accounts every worker copies when it starts.
    std::vector<TUnicodeAccount> accounts;
    // The per-host progress of the last run, as the search left it.
    std::vector<THostProgressLine> hostLines;

    PumpDispatcher dispatcher;
    SmbShareClientFactory smbClients;
    CountingShareClients shareClients{smbClients};
    CurlFtpClientFactory ftpClients;
    SmbNetworkBrowser browser;
    std::unique_ptr<HostChecker> hostChecker;
    std::unique_ptr<RecordingHostChecker> hostChecks;

private:
    std::atomic<THeadlessSearch*> m_running{nullptr};
};

// A stop requested the first time `when` holds, for LiveSearch::stopWhen, and the
// time the search then takes to end.
class TimedStop {
public:
    explicit TimedStop(std::function<bool()> when) : m_when(std::move(when)) {}
    std::function<bool()> condition()
    {
        return [this] {
            if (!m_sinceStop.isValid() && m_when())
                m_sinceStop.start();
            return m_sinceStop.isValid();
        };
    }
    // Milliseconds since the stop was requested; -1 when it never was.
    qint64 elapsedMs() const { return m_sinceStop.isValid() ? m_sinceStop.elapsed() : -1; }

private:
    std::function<bool()> m_when;
    QElapsedTimer m_sinceStop;
};

// The discovery settings a live search takes into its session, as the program's
// window gives its own at a start; tests change them, and a guard restores them.
extern TIPDiscoverySettings LiveSearchDiscovery;

// Restores LiveSearchDiscovery when it goes.
class DiscoverySettingsGuard {
public:
    DiscoverySettingsGuard();
    ~DiscoverySettingsGuard();

private:
    int32_t m_timeOut;
    int32_t m_maxThreads;
    bool m_resolveAddress;
    uint8_t m_method;
};

QStringList ItemNames(const THeadlessSearchResult& result);
QStringList LogTexts(const THeadlessSearchResult& result);
// Position of the first log line equal to text, or -1.
int LogIndex(const THeadlessSearchResult& result, const QString& text);
// The log lines that start with prefix.
QStringList LogLinesStartingWith(const THeadlessSearchResult& result, const QString& prefix);
