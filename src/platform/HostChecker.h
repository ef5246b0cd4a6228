#pragma once

#include "engine/ports/HostCheckerService.h"
#include "platform/FileDescriptor.h"
#include "platform/ProbeChannel.h"

#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

class MainThreadDispatcher;

// The probes a host check may use, one channel per method; a missing channel makes
// its method fail. The TCP method uses tcpFtp instead of tcp when the check's
// options ask for the FTP port. The lookup channel serves ResolveAddress.
struct HostProbeChannels {
    std::unique_ptr<ProbeChannel> icmp;
    std::unique_ptr<ProbeChannel> netBios;
    std::unique_ptr<ProbeChannel> arp;
    std::unique_ptr<ProbeChannel> tcp;
    std::unique_ptr<ProbeChannel> tcpFtp;
    std::unique_ptr<ProbeChannel> lookup;
};

// This machine's probes: ICMP echo, NetBIOS node status to netBiosPort, ARP through
// the neighbour table, TCP connects to 445 and 139 (and 21) and getnameinfo.
// Sockets are opened here, in the calling thread's network namespace.
HostProbeChannels OpenSystemProbeChannels(uint16_t netBiosPort = 137);

// Host checks of the IP-range search on one event-loop thread (epoll), so that a
// thousand outstanding checks cost a few sockets and no threads.
//
// Each check starts every method enabled in its options' Methods at once (ICMP
// echo, NetBIOS node status, ARP, TCP connect, begun in that order); the first that
// answers wins and the others are cancelled. The address counts as not reachable
// once all have failed or the options' TimeOut has passed since they began, so an
// address costs one time-out, not one per method. A reachable address is then looked up by name if
// ResolveAddress is on, waiting at most the lookup deadline (kLookupDeadline unless
// given): a slow resolver leaves the name empty rather than holding the sweep.
// Result 1 reachable, 0 not, 2 when a probe raised an error. Each check keeps the
// options and the stop token it was started with, so checks of several searches
// may be outstanding at once without seeing each other's settings or stop.
//
// Threads and stopping: start() may be called from any thread. Every onTerminated
// runs exactly once, on the main thread, through the dispatcher. When a check's
// stop token is set, it ends within about kStopPoll (result 0 unless it had
// already found the address reachable), and checks started with a stopped token
// end at once with result 0. Destroying the checker ends the checks still outstanding the
// same way and joins the loop thread.
class HostChecker final : public HostCheckerService {
public:
    static constexpr std::chrono::milliseconds kLookupDeadline{2000};
    static constexpr std::chrono::milliseconds kStopPoll{50};

    HostChecker(MainThreadDispatcher& dispatcher, HostProbeChannels channels,
                std::chrono::milliseconds lookupDeadline = kLookupDeadline);
    ~HostChecker() override;
    HostChecker(const HostChecker&) = delete;
    HostChecker& operator=(const HostChecker&) = delete;

    // Some probe channel could open its socket.
    bool available() const override;
    // The ICMP channel could open a ping or a raw socket.
    bool icmpAvailable() const override;
    void start(uint32_t address, const TDiscoveryOptions& options, std::stop_token stop,
               std::function<void(const THostCheckResult&)> onTerminated) override;

    // Checks started whose onTerminated has not been posted yet.
    int outstanding() const;

private:
    using Clock = ProbeChannel::Clock;
    using Callback = std::function<void(const THostCheckResult&)>;

    // The first four stages are the methods, bit 1 << stage of Methods; kTcpFtp is
    // the TCP method with port 21 added.
    enum Stage : int {
        kIcmp = 0,
        kNetBios = 1,
        kArp = 2,
        kTcp = 3,
        kTcpFtp = 4,
        kLookup = 5,
        kStageCount = 6
    };

    struct Arrival {
        uint32_t address = 0;
        TDiscoveryOptions options;
        std::stop_token stop;
        Callback onTerminated;
    };

    struct Check {
        uint32_t address = 0;
        Callback onTerminated;
        TDiscoveryOptions options;
        std::stop_token stop;
        uint32_t pending = 0; // bit 1 << stage for each probe pending in its channel
        Clock::time_point deadline{};
        bool reachable = false;
        QString hostName;
    };

    void run();
    void admitNewChecks();
    void startProbes(ProbeId id, Check& check);
    void startLookup(ProbeId id, Check& check);
    // Cancels the check's pending probes; false when a channel raised.
    bool cancelPending(ProbeId id, Check& check);
    void onOutcome(int stage, const ProbeOutcome& outcome);
    void collectFrom(int stage);
    void collectAll();
    void expireDeadlines(Clock::time_point now);
    // Ends the checks whose stop is requested; with all, every check and waiting arrival.
    void finishStopped(bool all);
    void finish(ProbeId id, int resultCode);
    int waitMilliseconds(Clock::time_point now) const;
    void wake();

    MainThreadDispatcher& m_dispatcher;
    const std::chrono::milliseconds m_lookupDeadline;
    ProbeChannel* m_channels[kStageCount] = {};
    HostProbeChannels m_owned;
    UniqueFd m_epoll;
    UniqueFd m_wakeup;

    mutable std::mutex m_inboxLock;
    std::vector<Arrival> m_inbox;
    bool m_quit = false;
    int m_outstanding = 0;

    // Loop thread only.
    ProbeId m_nextId = 1;
    std::unordered_map<ProbeId, Check> m_checks;
    std::thread m_loop;
};
