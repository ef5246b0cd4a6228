#include "app/SearchEngineFactory.h"

#include "accounts/AccountList.h"
#include "app/EngineSearchLink.h"
#include "app/MainWindow.h"
#include "engine/FtpSearch.h"
#include "engine/SearchSession.h"
#include "model/DiscoverySettings.h"
#include "platform/CurlFtpClient.h"
#include "platform/HostChecker.h"
#include "platform/MulticastHostDiscovery.h"
#include "platform/SmbNetworkBrowser.h"
#include "platform/SmbShareClient.h"

namespace {

// Each worker's share client lists folders ahead on this many extra agents (one
// SMB connection each), started only once a share has subfolders. A walk with
// libsmbclient spends most of its time in per-folder round trips and set-up, so
// folders listed in parallel take the walk of a 50,000-file share from about 1.5
// times smbclient's time to about its time or less; more agents gained nothing
// more on two cores (bench/smb).
constexpr int kPrefetchAgentsPerHost = 3;

SmbAgentOptions SearchAgentOptions()
{
    SmbAgentOptions options;
    options.prefetchAgents = kPrefetchAgentsPerHost;
    return options;
}

// The platform's clients, created before the link that hands them to every search.
struct TPlatformServices {
    explicit TPlatformServices(MainThreadDispatcher& dispatcher)
        : hostChecker(dispatcher, OpenSystemProbeChannels())
    {
    }

    TSearchServices services()
    {
        TSearchServices services;
        services.ShareClients = &shareClients;
        services.FtpSearch = [this](const QString& host, HostSearchContext& context) {
            FtpSearchHost(host, ftpClients, context);
        };
        services.Browser = &browser;
        services.HostChecker = &hostChecker;
        services.Discovery = &hostDiscovery;
        return services;
    }

    SmbShareClientFactory shareClients{SearchAgentOptions()};
    CurlFtpClientFactory ftpClients;
    SmbNetworkBrowser browser;
    HostChecker hostChecker;
    MulticastHostDiscovery hostDiscovery;
};

class TProgramSearchEngine : private TPlatformServices, public TEngineSearchLink {
public:
    TProgramSearchEngine(MainThreadDispatcher& dispatcher, TMainWindow& window)
        : TPlatformServices(dispatcher),
          TEngineSearchLink(dispatcher, window.resultsModel(), window.iconCache(), services(),
                            [&window] { return NewSession(window); })
    {
    }

private:
    // The program's settings as they are when a search starts.
    static std::shared_ptr<TSearchSession> NewSession(TMainWindow& window)
    {
        const QList<TUnicodeAccount> accounts = window.settings().Accounts.Snapshot();
        return std::make_shared<TSearchSession>(
            window.scopeRoot(), window.settings().IPDiscovery.Snapshot(),
            std::vector<TUnicodeAccount>(accounts.begin(), accounts.end()));
    }
};

} // namespace

std::unique_ptr<TSearchEngineLink> CreateSearchEngine(MainThreadDispatcher& dispatcher, TMainWindow& window)
{
    return std::make_unique<TProgramSearchEngine>(dispatcher, window);
}
