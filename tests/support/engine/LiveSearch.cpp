#include "support/engine/LiveSearch.h"

#include "engine/FtpSearch.h"
#include "engine/SearchSession.h"
#include "model/DiscoverySettings.h"

LiveSearch::LiveSearch(uint16_t netBiosPort, const SmbAgentOptions& smbOptions)
    : smbClients(smbOptions),
      hostChecker(std::make_unique<HostChecker>(dispatcher, OpenSystemProbeChannels(netBiosPort))),
      hostChecks(std::make_unique<RecordingHostChecker>(*hostChecker))
{
}

LiveSearch::~LiveSearch() = default;

THeadlessSearchResult LiveSearch::run(const TThreadConfig& config, const TScopeRoot& root)
{
    TSearchServices services;
    services.ShareClients = &shareClients;
    services.FtpSearch = [this](const QString& host, HostSearchContext& context) {
        FtpSearchHost(host, ftpClients, context);
    };
    services.Browser = &browser;
    services.HostChecker = hostChecks.get();
    services.Discovery = hostDiscovery;
    THeadlessSearch search(dispatcher, services);
    // The session copies the discovery settings, as the program does at a start.
    search.Discovery = LiveSearchDiscovery.Snapshot();
    search.Accounts = accounts;
    search.StopWhen = stopWhen;
    search.OnHit = onHit;
    m_running = &search;
    THeadlessSearchResult result = search.Run(config, root);
    m_running = nullptr;
    hostLines = search.Session() ? search.Session()->Progress().Lines() : std::vector<THostProgressLine>{};
    return result;
}

void LiveSearch::requestStop()
{
    // Called from the engine's threads while run() is in Run, after the session exists.
    if (THeadlessSearch* search = m_running.load())
        search->Session()->RequestStop();
}

TIPDiscoverySettings LiveSearchDiscovery;

DiscoverySettingsGuard::DiscoverySettingsGuard()
    : m_timeOut(LiveSearchDiscovery.TimeOut.load()), m_maxThreads(LiveSearchDiscovery.MaxThreads.load()),
      m_resolveAddress(LiveSearchDiscovery.ResolveAddress.load()), m_method(LiveSearchDiscovery.Method.load())
{
}

DiscoverySettingsGuard::~DiscoverySettingsGuard()
{
    LiveSearchDiscovery.TimeOut = m_timeOut;
    LiveSearchDiscovery.MaxThreads = m_maxThreads;
    LiveSearchDiscovery.ResolveAddress = m_resolveAddress;
    LiveSearchDiscovery.Method = m_method;
}

QStringList ItemNames(const THeadlessSearchResult& result)
{
    QStringList names;
    for (const TItemRecord& item : result.Items)
        names.append(item.FileName);
    return names;
}

QStringList LogTexts(const THeadlessSearchResult& result)
{
    QStringList texts;
    for (const TSearchLogEntry& entry : result.Log)
        texts.append(entry.Text);
    return texts;
}

int LogIndex(const THeadlessSearchResult& result, const QString& text)
{
    return static_cast<int>(LogTexts(result).indexOf(text));
}

QStringList LogLinesStartingWith(const THeadlessSearchResult& result, const QString& prefix)
{
    QStringList lines;
    for (const QString& text : LogTexts(result)) {
        if (text.startsWith(prefix))
            lines.append(text);
    }
    return lines;
}
