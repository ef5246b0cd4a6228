#pragma once

#include <cstdint>
#include <vector>

// The IPv4 addresses of this machine's network interfaces, with their masks.
struct TInterfaceAddress {
    uint32_t Address = 0; // network byte order
    uint32_t Mask = 0;    // network byte order
};

// Every IPv4 address of every interface that is up (loopback included), sorted by
// address in ascending host order, each address once. Empty when the interface list
// cannot be read.
std::vector<TInterfaceAddress> LocalInterfaceAddresses();
