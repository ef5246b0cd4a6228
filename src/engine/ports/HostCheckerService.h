#pragma once

#include "model/DiscoveryOptions.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <stop_token>

// Result of probing one address: 0 no answer, 1 reachable, 2 the probe failed.
struct THostCheckResult {
    int resultCode = 0;
    QString hostName; // set when reachable and name resolution is on; may be empty
};

// Starts host checks for the IP-range search. How the checks run (threads or one
// event loop) is the service's business; the queue thread bounds how many are
// outstanding.
class HostCheckerService {
public:
    virtual ~HostCheckerService() = default;
    // Whether probing is possible at all (some probe can open its socket).
    virtual bool available() const = 0;
    // Whether ICMP echo can be sent (a ping or raw socket); without it the other
    // methods still run.
    virtual bool icmpAvailable() const { return available(); }
    // Starts the check of one address (network byte order) with the search's
    // discovery options; once stop is requested the check ends soon (result 0 unless
    // the address had already answered). onTerminated runs exactly once, on the main
    // thread.
    virtual void start(uint32_t address, const TDiscoveryOptions& options, std::stop_token stop,
                       std::function<void(const THostCheckResult&)> onTerminated) = 0;
};
