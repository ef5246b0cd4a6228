// Searches one host the way an unattended search does (listed computer, every
// name matches, common shares, no content test) with the SMB agents and prints
// the number of hits and the time taken:
//
//   kestrova-smb-bench ADDRESS [PREFETCH-AGENTS] [RUNS]
//
// One line per run: "hits <n> ms <t> prefetched <listings taken from helpers>".
// The agent program comes from KESTROVA_SMB_AGENT (run.sh sets it).

#include "engine/HeadlessSearch.h"
#include "engine/PumpDispatcher.h"
#include "platform/ForwardingShareClient.h"
#include "platform/SmbShareClient.h"

#include <QElapsedTimer>
#include <QString>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace {

// The search's own client factory, counting the listings its clients took from
// the prefetch helpers.
class CountingSmbClients : public ShareClientFactory {
public:
    explicit CountingSmbClients(const SmbAgentOptions& options) : m_options(options) {}

    std::unique_ptr<ShareClient> create(std::stop_token) override
    {
        auto client = std::make_unique<SmbShareClient>(m_options);
        return std::make_unique<Counted>(std::move(client), prefetched);
    }

    std::atomic<int> prefetched{0};

private:
    // Forwards every call; reports the helper count when the worker drops it.
    class Counted : public ForwardingShareClient {
    public:
        Counted(std::unique_ptr<SmbShareClient> inner, std::atomic<int>& total)
            : ForwardingShareClient(std::move(inner)), m_total(total)
        {
        }
        ~Counted() override { m_total += static_cast<SmbShareClient&>(inner()).prefetchedListings(); }

    private:
        std::atomic<int>& m_total;
    };

    const SmbAgentOptions m_options;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s ADDRESS [PREFETCH-AGENTS] [RUNS]\n", argv[0]);
        return 2;
    }
    SmbAgentOptions options;
    options.prefetchAgents = argc > 2 ? std::atoi(argv[2]) : options.prefetchAgents;
    const int runs = argc > 3 ? std::atoi(argv[3]) : 1;

    TThreadConfig config;
    config.SearchMethod = TSearchType::SpecifiedComputers;
    config.MaxThreads = 1;
    config.FileMasks = QStringLiteral("*");
    config.ResList = QStringLiteral("\\\\") + QString::fromLocal8Bit(argv[1]);
    int status = 0;
    for (int run = 0; run < runs; ++run) {
        PumpDispatcher dispatcher;
        CountingSmbClients clients(options);
        TSearchServices services;
        services.ShareClients = &clients;
        THeadlessSearch search(dispatcher, services);
        long hits = 0;
        search.OnHit = [&hits](const TItemRecord&) { ++hits; };
        QElapsedTimer timer;
        timer.start();
        const THeadlessSearchResult result = search.Run(config, TScopeRoot{});
        const long long ms = timer.elapsed();
        std::printf("hits %ld ms %lld prefetched %d\n", hits, ms, clients.prefetched.load());
        std::fflush(stdout);
        if (!result.Errors.empty())
            status = 1;
    }
    return status;
}
