#pragma once

#include <cstdint>
#include <string>

// One TCP connection attempt to host:port, given up after timeoutMs. Returns 0
// when the port accepted, SmbAgentProtocol::kProbeUnresolved when the name does
// not resolve through the system resolver (NetBIOS-only names), else the errno
// of the failure (ECONNREFUSED, ETIMEDOUT, EHOSTUNREACH, ...).
int32_t ProbeTcpPort(const std::string& host, uint16_t port, int timeoutMs);
