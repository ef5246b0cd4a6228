#pragma once

#include "model/DiscoveryOptions.h"

#include <atomic>
#include <cstdint>

// The program's "IPDiscovery" settings, as the options dialogs edit them and the
// settings file stores them. A search never reads them while it runs: it works
// with the snapshot its session took when it started (Snapshot()).
struct TIPDiscoverySettings {
    std::atomic<int32_t> TimeOut{1000};                                      // ms per address
    std::atomic<int32_t> MaxThreads{TDiscoveryOptions::kDefaultMaxProbes};   // probes in flight
    std::atomic<bool> ResolveAddress{false};                                 // reverse lookup
    std::atomic<uint8_t> Method{TDiscoveryMethods::All().Bits()};            // bits, as stored
    std::atomic<int32_t> DiscoveryWindow{TDiscoveryOptions::kDefaultWindow}; // ms, 0: off

    TDiscoveryOptions Snapshot() const
    {
        return {TimeOut.load(), MaxThreads.load(), ResolveAddress.load(),
                TDiscoveryMethods::FromBits(Method.load()), DiscoveryWindow.load()};
    }
};
