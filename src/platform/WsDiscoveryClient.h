#pragma once

#include "platform/DiscoveredHost.h"
#include "platform/WsDiscoveryMessages.h"
#include "platform/WsDiscoveryNaming.h"

#include <chrono>
#include <stop_token>
#include <utility>
#include <vector>

// One-shot WS-Discovery of the computers on the local links.
//
// discover() multicasts a Probe for devices from every up, multicast-capable
// interface (IPv4 239.255.255.250:3702, and ff02::c where the interface has IPv6),
// collects the ProbeMatches that relate to it for the window and multicasts a
// Resolve for matches without transport addresses (wsdd leaves them out). While
// it still collects, it asks each computer for its metadata (an HTTP Get to its
// XAddrs, several at once) to learn its name and workgroup or domain; a computer
// whose Get fails is named by fallbackNamer. A computer answering over IPv4 and
// IPv6 is reported once, with its IPv4 address. Only endpoints typed as computers
// are reported; printers and other devices answer probes too.
//
// Threading and cancel: discover() blocks the calling thread for the window, and
// for up to WsDiscoveryNaming::kLateNaming more when a computer's Get did not
// answer within it; it may run on any thread, several calls at once each use their
// own sockets. A stop request ends it within a few milliseconds, with what was
// complete by then.
struct TWsDiscoveryOptions {
    std::chrono::milliseconds window{1500};
    std::chrono::milliseconds metadataTimeout{2000};
    bool ipv6 = true;
    int maxParallelGets = 16;
    TResponderNamer fallbackNamer; // may be empty: such computers stay nameless
    bool ipv4 = true;
};

class WsDiscoveryClient {
public:
    explicit WsDiscoveryClient(TWsDiscoveryOptions options = {}) : m_options(std::move(options)) {}

    std::vector<TDiscoveredHost> discover(const std::stop_token& stop) const;

private:
    TWsDiscoveryOptions m_options;
};

// Fetches one endpoint's metadata (each XAddr in turn until one answers) and fills
// host's name and workgroup or domain; false when none answered with a computer.
// Blocks for at most timeout per XAddr; returns promptly on a stop request.
bool FetchComputerMetadata(const Wsd::Endpoint& endpoint, TDiscoveredHost& host,
                           std::chrono::milliseconds timeout, const std::stop_token& stop);
