#pragma once

#include "engine/ports/HostDiscovery.h"

#include <QString>
#include <vector>

// The one list of computers the browse modes work on: the union of the NetBIOS
// browse list, WS-Discovery and DNS-SD. A computer told by several sources is kept
// once: two entries are the same computer when they share an address, or a name
// (compared case-blind on its first label, so "kmdns1.local" is "KMDNS1"). The
// merged entry keeps every source bit and fills what one source left empty.
//
// Not thread-safe; one search or one scope build owns its list.
class THostList {
public:
    // Merges host into the list; returns the index of its entry and whether the
    // entry is new.
    std::pair<size_t, bool> Add(const TFoundHost& host);
    const std::vector<TFoundHost>& Hosts() const { return m_hosts; }
    // How many entries carry source.
    int CountFrom(THostSource source) const;

private:
    std::vector<TFoundHost> m_hosts;
};

// The name part that identifies a computer: the first label, upper case, without
// leading backslashes; empty for an empty name.
QString HostNameKey(const QString& name);
// "NetBIOS", "WS-Discovery", "DNS-SD", joined with ", " in that order.
QString HostSourceNames(uint8_t sources);
// The name a worker connects to: "\\" + IPv4 address when there is one (no name
// service needs to know the computer), else "\\" + the name.
QString HostConnectName(const TFoundHost& host);
