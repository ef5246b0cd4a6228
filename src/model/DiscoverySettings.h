#pragma once

#include "model/DiscoveryOptions.h"

#include <atomic>
#include <cstdint>

// The program's "IPDiscovery" settings, as the options dialogs edit them and the
// settings file stores them. A search never reads them while it runs: it works
// with the snapshot its session took when it started (Snapshot()).
struct TIPDiscoverySettings {
    std::atomic<int32_t> TimeOut{1000};      // ms per probe method
    std::atomic<int32_t> MaxThreads{10};     // checks running at once
    std::atomic<bool> ResolveAddress{false}; // reverse lookup of reachable addresses
    std::atomic<uint8_t> Method{7};          // TDiscoveryMethods bits, as stored

    TDiscoveryOptions Snapshot() const
    {
        return {TimeOut.load(), MaxThreads.load(), ResolveAddress.load(),
                TDiscoveryMethods::FromBits(Method.load())};
    }
};
