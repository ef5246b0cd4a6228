#pragma once

#include "engine/ports/HostDiscovery.h"
#include "platform/DiscoveredHost.h"

#include <functional>

// The host discovery of this machine: a WS-Discovery probe and a DNS-SD browse of
// _smb._tcp (and _ftp._tcp) over multicast DNS, both at once on threads of their
// own, listening for the same window. A WS-Discovery responder whose metadata
// gave no name is named by NameWithoutMetadata.
//
// The sockets are opened in the calling thread's network namespace. discover()
// blocks for the window (the WS-Discovery names are learned while it is open; a
// computer that did not answer its metadata Get in time costs up to
// WsDiscoveryNaming::kLateNaming more); a stop request ends it within a few
// milliseconds.
class MulticastHostDiscovery final : public HostDiscovery {
public:
    static constexpr std::chrono::milliseconds kNameDeadline{1000};

    std::vector<TFoundHost> discover(std::chrono::milliseconds window, bool ftp,
                                     std::stop_token stop) override;
    // A Hello is reported once the computer's metadata told its name (or a reverse
    // lookup did); a Bye at once, with the address it came from.
    std::unique_ptr<HostWatch> watch(AnnouncementCallback callback) override;
};

// One discovered host as the host list keeps it.
TFoundHost ToFoundHost(const TDiscoveredHost& host);

// Names a WS-Discovery responder whose metadata told nothing, before deadline:
// its NetBIOS node status (name and workgroup), else a reverse lookup of its
// address. IPv4 only; an IPv6 responder keeps an empty name.
void NameWithoutMetadata(TDiscoveredHost& host, std::chrono::steady_clock::time_point deadline,
                         const std::stop_token& stop);

// The name a reverse lookup gives for address (dotted IPv4), first label only;
// empty when there is none within deadline or on a stop request. The lookup itself
// cannot be interrupted: it goes on on a thread of its own and its answer is dropped.
QString LookupHostName(const QString& address, std::chrono::milliseconds deadline,
                       const std::stop_token& stop);
