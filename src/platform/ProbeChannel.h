#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <vector>

// One kind of host probe (ICMP echo, NetBIOS node status, ARP, reverse lookup),
// multiplexed: many probes share the channel's socket and run at once. The host
// checker's event loop drives every channel from one thread; channels are not
// thread-safe. The loop owns the time-outs: a channel never gives up by itself,
// it only reports what it learned.
using ProbeId = uint64_t;

enum class ProbeStatus {
    Pending,  // sent; the outcome arrives through collect() or the caller's time-out
    Answered, // the address answered (for a lookup: a name was found)
    Failed,   // decided at once: nothing will answer (send refused, no route, ...)
};

struct ProbeOutcome {
    ProbeId id = 0;
    bool answered = false;
    QString name; // reverse lookup only
};

class ProbeChannel {
public:
    using Clock = std::chrono::steady_clock;

    virtual ~ProbeChannel() = default;
    // The channel's socket could be opened; an unusable channel fails every probe.
    virtual bool usable() const = 0;
    // Descriptor the loop watches for readability; -1 when the channel has none.
    virtual int descriptor() const = 0;
    // Starts probing address (network byte order) under id. At most one probe per id
    // is pending. May throw EKestrovaError for internal failures.
    virtual ProbeStatus begin(ProbeId id, uint32_t address) = 0;
    // Forgets a pending probe (its time-out passed or the search stopped); no outcome
    // is reported for it afterwards.
    virtual void cancel(ProbeId id) = 0;
    // Reads what arrived, without blocking, and appends the decided pending probes.
    virtual void collect(std::vector<ProbeOutcome>& outcomes) = 0;
    // Called on every pass of the loop (at least every few tens of milliseconds while
    // probes are pending) for periodic work.
    virtual void tick(Clock::time_point /*now*/) {}
};
