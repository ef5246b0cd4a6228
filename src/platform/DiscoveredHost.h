#pragma once

#include <QString>

// A computer a multicast discovery found.
enum class DiscoverySource {
    WsDiscovery,
    Mdns,
};

struct TDiscoveredHost {
    QString address;   // dotted IPv4 or IPv6 text (with %interface for link-local)
    QString name;      // computer name; empty when nothing told it
    QString workgroup; // empty when unknown or the computer is in a domain
    QString domain;
    DiscoverySource source = DiscoverySource::WsDiscovery;
};
