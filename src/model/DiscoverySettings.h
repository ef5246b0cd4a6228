#pragma once

#include <atomic>
#include <cstdint>

// The "IPDiscovery" settings: process-wide values that every host check reads
// while it runs (they are not copied into the search configuration).
enum TIPDiscoveryMethod : uint8_t {
    dmICMP = 1,
    dmNetBios = 2,
    dmARP = 4,
};

struct TIPDiscoverySettings {
    std::atomic<int32_t> TimeOut{1000};      // ms per probe method
    std::atomic<int32_t> MaxThreads{10};     // checks running at once
    std::atomic<bool> ResolveAddress{false}; // reverse lookup of reachable addresses
    std::atomic<uint8_t> Method{7};          // set of TIPDiscoveryMethod bits
};

extern TIPDiscoverySettings IPDiscovery;
