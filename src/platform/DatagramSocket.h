#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <vector>

// Helpers shared by the probe channels' datagram sockets (ICMP and UDP).

// Raises the receive and send buffers to bytes (beyond the system limit where the
// process may). Thousands of probes answered within milliseconds overflow the
// default buffers and their replies are lost.
void RaiseSocketBuffers(int fd, int bytes);

// Sends one datagram to address (network byte order), port (host order; 0 for raw
// and ping sockets). Returns 0 or the errno. An ICMP error caused by an earlier
// datagram to another address (port or host unreachable) is stored on the socket
// and fails the next send whatever its destination, so a failed send is tried once
// more before it counts.
int SendDatagram(int fd, const void* data, size_t size, uint32_t address, uint16_t port);

// An ICMP error the kernel queued for a datagram this socket sent (IP_RECVERR).
struct QueuedSocketError {
    uint32_t destination = 0; // where the failed datagram went, network byte order
    int error = 0;            // errno equivalent (ECONNREFUSED, EHOSTUNREACH, ...)
    bool fromIcmp = false;    // reported by an ICMP message rather than locally
    QByteArray payload;       // start of the failed datagram's payload
};

// Enables IP_RECVERR so that errors name the datagram they belong to.
bool EnableQueuedErrors(int fd);

// Reads every queued error without blocking and clears the socket's pending error.
void ReadQueuedErrors(int fd, std::vector<QueuedSocketError>& errors);
