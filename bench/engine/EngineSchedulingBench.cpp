// Scheduling cost of a whole search per host. HOSTS listed computers, each with one
// share holding one matching file, are searched by the engine (queue thread, worker
// pool of MAX-THREADS, one worker per host, each hit handed to the main thread) with
// a share client that answers from memory, after WORK-MS of simulated host work per
// host. For comparison the same hosts go through a bare pool: one std::thread per
// host, at most MAX-THREADS at once, the same client and the same hit hand-over.
//
//   kestrova-engine-bench engine|pool [--hosts N] [--max-threads N] [--work-ms MS]
//
// Prints one line: mode, hosts, threads, wall ms, hits, the hosts' own work per host
// (summed over hosts, divided by the threads that can run at once and by the hosts)
// and the overhead per host (wall per host minus that own work).

#include "engine/HeadlessSearch.h"
#include "engine/PumpDispatcher.h"
#include "engine/ports/ShareClient.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<int64_t> g_workMicros{0};

// A host that answers from memory: one disk share "pub" holding report.doc, after
// workMs of "work" at the share list (the host's own time, not the engine's).
class InstantShareClient : public ShareClient {
public:
    explicit InstantShareClient(int workMs) : m_workMs(workMs) {}

    Result<std::vector<ShareInfo>> listShares(const QString&) override
    {
        const Clock::time_point start = Clock::now();
        if (m_workMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(m_workMs));
        std::vector<ShareInfo> shares{{QStringLiteral("pub"), ShareType::Disk, {}},
                                      {QStringLiteral("IPC$"), ShareType::Ipc, {}}};
        g_workMicros += std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start).count();
        return shares;
    }
    Result<void> connect(const QString&, const std::optional<QString>&,
                         const std::optional<QString>&) override
    {
        return {};
    }
    void cancelConnection(const QString&) override {}
    Result<std::vector<ShareDirEntry>> listFolder(const QString&) override
    {
        return std::vector<ShareDirEntry>{{QStringLiteral("report.doc"), 0x20, 1234, 1'600'000'000},
                                          {QStringLiteral("notes.txt"), 0x20, 99, 1'600'000'000}};
    }
    Result<std::unique_ptr<ByteSource>> openFile(const QString&) override
    {
        return PlatformError{ENOENT, QStringLiteral("no content here")};
    }

private:
    const int m_workMs;
};

class InstantShareClients : public ShareClientFactory {
public:
    explicit InstantShareClients(int workMs) : m_workMs(workMs) {}
    std::unique_ptr<ShareClient> create(std::stop_token) override
    {
        return std::make_unique<InstantShareClient>(m_workMs);
    }

private:
    const int m_workMs;
};

struct Options {
    bool engine = true;
    int hosts = 200;
    int maxThreads = 10;
    int workMs = 0;
};

QStringList HostNames(int hosts)
{
    QStringList names;
    for (int i = 1; i <= hosts; ++i)
        names.append(QStringLiteral("\\\\BENCH%1").arg(i));
    return names;
}

// Returns the hits.
int RunEngine(const Options& options)
{
    PumpDispatcher dispatcher;
    InstantShareClients clients(options.workMs);
    TSearchServices services;
    services.ShareClients = &clients;
    TThreadConfig config;
    config.SearchMethod = TSearchType::SpecifiedComputers;
    config.MaxThreads = options.maxThreads;
    config.FileMasks = QStringLiteral("*.doc");
    config.ResList = HostNames(options.hosts).join(u',');
    THeadlessSearch search(dispatcher, services);
    return static_cast<int>(search.Run(config, TScopeRoot{}).Items.size());
}

// One thread per host, at most maxThreads at once, the hit handed to the main thread
// and waited for: the least a thread-per-host search can cost.
int RunPool(const Options& options)
{
    PumpDispatcher dispatcher;
    InstantShareClients clients(options.workMs);
    std::mutex mutex;
    std::condition_variable slotFreed;
    int running = 0;
    int finished = 0;
    int hits = 0;
    std::vector<std::thread> threads;
    const QStringList hosts = HostNames(options.hosts);
    for (const QString& host : hosts) {
        // Wait for a free slot, running the main thread's calls meanwhile.
        dispatcher.pumpUntil(
            [&] {
                std::lock_guard lock(mutex);
                return running < options.maxThreads;
            },
            std::chrono::hours(1), std::chrono::milliseconds(1));
        {
            std::lock_guard lock(mutex);
            ++running;
        }
        threads.emplace_back([&, host] {
            auto client = clients.create({});
            (void)client->listShares(host); // the host's work; its shares are known
            const Result<std::vector<ShareDirEntry>> entries =
                client->listFolder(host + QStringLiteral("\\pub"));
            for (const ShareDirEntry& entry : entries.value()) {
                if (entry.name.endsWith(QStringLiteral(".doc")))
                    dispatcher.synchronize([&] { ++hits; });
            }
            std::lock_guard lock(mutex);
            --running;
            ++finished;
            slotFreed.notify_all();
        });
    }
    dispatcher.pumpUntil(
        [&] {
            std::lock_guard lock(mutex);
            return finished == options.hosts;
        },
        std::chrono::hours(1), std::chrono::milliseconds(1));
    for (std::thread& thread : threads)
        thread.join();
    return hits;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: kestrova-engine-bench engine|pool [--hosts N] [--max-threads N] [--work-ms MS]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    Options options;
    if (std::strcmp(argv[1], "engine") == 0)
        options.engine = true;
    else if (std::strcmp(argv[1], "pool") == 0)
        options.engine = false;
    else
        return Usage();
    for (int i = 2; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--hosts") == 0 && hasValue)
            options.hosts = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--max-threads") == 0 && hasValue)
            options.maxThreads = std::max(1, std::atoi(argv[++i]));
        else if (std::strcmp(argv[i], "--work-ms") == 0 && hasValue)
            options.workMs = std::max(0, std::atoi(argv[++i]));
        else
            return Usage();
    }

    const Clock::time_point start = Clock::now();
    const int hits = options.engine ? RunEngine(options) : RunPool(options);
    const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    const int parallel = std::min(options.maxThreads, options.hosts);
    const double ownPerHostMs = g_workMicros.load() / 1000.0 / parallel / options.hosts;
    const double overheadPerHostMs = wallMs / options.hosts - ownPerHostMs;
    std::printf(
        "%s hosts %d threads %d wall_ms %.1f hits %d own_ms_per_host %.2f overhead_ms_per_host %.2f\n",
        options.engine ? "engine" : "pool", options.hosts, options.maxThreads, wallMs, hits, ownPerHostMs,
        overheadPerHostMs);
    return hits == options.hosts ? 0 : 1;
}
