#pragma once

#include "platform/DiscoveredHost.h"
#include "platform/WsDiscoveryMessages.h"

#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stop_token>
#include <thread>
#include <vector>

// Names a responder whose metadata told no name: fills host's name (and workgroup)
// by other means before deadline, returning early on a stop request.
using TResponderNamer = std::function<void(
    TDiscoveredHost& host, std::chrono::steady_clock::time_point deadline, const std::stop_token& stop)>;

// Names WS-Discovery responders while the probe window is still open, so that
// the host list is ready when the window closes: a responder's metadata Get
// starts as soon as its transport addresses are known (at most maxParallel at
// once, the rest queued), and a responder whose Get fails goes to the fallback
// namer at once. The Gets end at the deadline; a fallback that only starts then
// (no XAddrs ever came, or the Get was cut) gets lateNaming more.
//
// start() and finish() belong to one thread (the collecting one); the namings run
// on threads of their own. Destroying it stops and joins them.
class WsDiscoveryNaming {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kLateNaming{500};

    WsDiscoveryNaming(std::chrono::milliseconds metadataTimeout, int maxParallel, TResponderNamer fallback,
                      Clock::time_point deadline, const std::stop_token& stop);
    ~WsDiscoveryNaming();
    WsDiscoveryNaming(const WsDiscoveryNaming&) = delete;
    WsDiscoveryNaming& operator=(const WsDiscoveryNaming&) = delete;

    // Starts naming endpoint (once per endpoint address), asking from address.
    void start(const Wsd::Endpoint& endpoint, const QString& address);
    bool started(const QString& endpointAddress) const { return m_started.count(endpointAddress) != 0; }
    // Waits until every naming ended and returns what they learned, by endpoint
    // address (name, workgroup, domain).
    std::map<QString, TDiscoveredHost> finish();

private:
    struct Job {
        Wsd::Endpoint endpoint;
        TDiscoveredHost host;
    };
    void work();
    void name(Job& job) const;

    const std::chrono::milliseconds m_metadataTimeout;
    const size_t m_maxParallel;
    const TResponderNamer m_fallback;
    const Clock::time_point m_deadline;
    std::stop_source m_stop;
    std::optional<std::stop_callback<std::function<void()>>> m_forward;

    std::set<QString> m_started;
    std::mutex m_lock; // guards the members below
    std::deque<Job> m_queue;
    std::map<QString, TDiscoveredHost> m_named;
    size_t m_busy = 0;
    std::vector<std::thread> m_threads;
};
