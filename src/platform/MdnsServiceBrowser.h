#pragma once

#include "platform/DiscoveredHost.h"

#include <QStringList>
#include <chrono>
#include <stop_token>
#include <vector>

// One-shot DNS-SD browse over multicast DNS (RFC 6762/6763) for service types such
// as "_smb._tcp.local" and "_ftp._tcp.local", built in: no avahi-daemon needed.
//
// browse() sends PTR questions with the unicast-response bit from an ephemeral
// port on every up, multicast-capable interface (224.0.0.251:5353, ff02::fb where
// the interface has IPv6); responders answer such one-shot queries directly. Where
// port 5353 can be shared it also listens to the group for multicast answers. It
// follows PTR -> SRV (and TXT) -> A/AAAA, asking once for whatever the answers
// left out, and reports each instance's host once: its name (the SRV target
// without ".local", else the instance name) and address (A, else AAAA, else the
// sender), whichever family the answers came by.
//
// Threading and cancel: browse() blocks the calling thread for the window; it may
// run on any thread, each call with its own sockets. A stop request ends it within
// a few milliseconds, with what was learned by then.
struct TMdnsOptions {
    std::chrono::milliseconds window{1500};
    bool ipv6 = true;
    bool ipv4 = true;
};

class MdnsServiceBrowser {
public:
    explicit MdnsServiceBrowser(TMdnsOptions options = {}) : m_options(options) {}

    std::vector<TDiscoveredHost> browse(const QStringList& serviceTypes, std::stop_token stop) const;

private:
    TMdnsOptions m_options;
};
