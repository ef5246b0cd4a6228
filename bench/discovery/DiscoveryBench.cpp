// Sweeps IP ranges with the host checker the way the queue thread drives it: one
// check per address in ascending order, never more than MaxThreads + 1 outstanding,
// results taken on the main thread. Prints every reachable address ("up <address>")
// and the elapsed time of the sweep.
//
//   discovery_bench [--max-threads N] [--timeout MS] [--method BITS] [--resolve]
//                   [--netbios-port P] RANGE...
//   discovery_bench --discover WINDOW_MS
//
// --discover runs the multicast host discovery (WS-Discovery and DNS-SD at once, as
// the browse modes do) for the window and prints every computer ("host <address>
// <name> <sources>") and the time until the list was ready.

#include "engine/HostList.h"
#include "engine/IpRange.h"
#include "engine/ports/MainThreadDispatcher.h"
#include "model/DiscoverySettings.h"
#include "model/IpAddress.h"
#include "platform/HostChecker.h"
#include "platform/MulticastHostDiscovery.h"

#include <QString>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>

namespace {

// The main thread of the benchmark: posted calls run while it waits.
class SweepDispatcher final : public MainThreadDispatcher {
public:
    void synchronize(const std::function<void()>& fn) override
    {
        // The host checker only posts; a synchronous call would come from this thread.
        fn();
    }
    void post(std::function<void()> fn) override
    {
        std::lock_guard guard(m_lock);
        m_calls.push_back(std::move(fn));
        m_queued.notify_one();
    }
    // Waits for posted calls (up to 100 ms, the queue thread's polling bound) and runs them.
    void pump()
    {
        std::deque<std::function<void()>> calls;
        {
            std::unique_lock guard(m_lock);
            m_queued.wait_for(guard, std::chrono::milliseconds(100), [&] { return !m_calls.empty(); });
            calls.swap(m_calls);
        }
        for (auto& call : calls)
            call();
    }

private:
    std::mutex m_lock;
    std::condition_variable m_queued;
    std::deque<std::function<void()>> m_calls;
};

int Discover(int windowMs)
{
    const auto started = std::chrono::steady_clock::now();
    MulticastHostDiscovery discovery;
    const std::vector<TFoundHost> found = discovery.discover(std::chrono::milliseconds(windowMs), false, {});
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    THostList list;
    for (const TFoundHost& host : found)
        list.Add(host);
    for (const TFoundHost& host : list.Hosts())
        std::printf("host %s %s %s\n", qPrintable(host.Address), qPrintable(host.Name),
                    qPrintable(HostSourceNames(host.Sources)));
    std::printf("discovered %zu computers in %.2f s (window %d ms)\n", list.Hosts().size(), seconds,
                windowMs);
    return 0;
}

int Usage()
{
    std::fprintf(stderr,
                 "usage: discovery_bench [--max-threads N] [--timeout MS] [--method BITS] [--resolve] "
                 "[--netbios-port P] RANGE...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    TIPDiscoverySettings discovery;
    QStringList ranges;
    uint16_t netBiosPort = 137;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (argument == "--max-threads" && hasValue)
            discovery.MaxThreads = std::atoi(argv[++i]);
        else if (argument == "--timeout" && hasValue)
            discovery.TimeOut = std::atoi(argv[++i]);
        else if (argument == "--method" && hasValue)
            discovery.Method = static_cast<uint8_t>(std::atoi(argv[++i]));
        else if (argument == "--netbios-port" && hasValue)
            netBiosPort = static_cast<uint16_t>(std::atoi(argv[++i]));
        else if (argument == "--discover" && hasValue)
            return Discover(std::atoi(argv[++i]));
        else if (argument == "--resolve")
            discovery.ResolveAddress = true;
        else if (argument.startsWith("--"))
            return Usage();
        else
            ranges.append(argument);
    }
    if (ranges.isEmpty())
        return Usage();

    SweepDispatcher dispatcher;
    HostChecker checker(dispatcher, OpenSystemProbeChannels(netBiosPort));
    if (!checker.icmpAvailable())
        std::fprintf(stderr, "warning: no ICMP socket (needs root or CAP_NET_RAW)\n");

    int outstanding = 0;
    int reachable = 0;
    uint64_t probed = 0;
    const auto started = std::chrono::steady_clock::now();
    for (const QString& range : ranges) {
        uint32_t first = 0;
        uint32_t last = 0;
        if (!ParseIPRange(range, first, last)) {
            std::fprintf(stderr, "invalid range: %s\n", qPrintable(range));
            continue;
        }
        for (uint32_t address : IPRangeAddresses(first, last)) {
            ++outstanding;
            ++probed;
            checker.start(address, discovery.Snapshot(), {}, [&, address](const THostCheckResult& result) {
                --outstanding;
                if (result.resultCode != 1)
                    return;
                ++reachable;
                std::printf("up %s %s\n", qPrintable(IpToText(address)), qPrintable(result.hostName));
            });
            // The limit counts probes: each method of a check is one.
            const int probes = std::max(1, discovery.Snapshot().Methods.Count());
            while (outstanding * probes > discovery.MaxThreads.load())
                dispatcher.pump();
        }
    }
    while (outstanding > 0)
        dispatcher.pump();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("swept %llu addresses, %d up, %.2f s (MaxThreads %d, TimeOut %d ms, Method %d)\n",
                static_cast<unsigned long long>(probed), reachable, seconds, discovery.MaxThreads.load(),
                discovery.TimeOut.load(), discovery.Method.load());
    return 0;
}
