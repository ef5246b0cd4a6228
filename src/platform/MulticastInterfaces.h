#pragma once

#include <QString>
#include <cstdint>
#include <vector>

// The interfaces a multicast discovery sends on: up, multicast-capable, not
// loopback. Read fresh on each call (interfaces come and go); safe from any thread.
struct TMulticastInterface {
    QString name;
    unsigned index = 0;
    uint32_t ipv4Address = 0; // network byte order; 0 when the interface has none
    bool hasIpv6 = false;     // an IPv6 address (link-local or wider), so IPv6 multicast can leave
};

std::vector<TMulticastInterface> MulticastInterfaces();
