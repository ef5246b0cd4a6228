#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>

// What a NetBIOS node status reply tells about a computer: its name (the first
// unique name with suffix 0x00, the workstation service) and its workgroup or
// domain (the first group name with suffix 0x00). Either may be empty.
struct TNetBiosNames {
    QString computer;
    QString group;
};

// Reads the name table of a node status reply (RFC 1002 4.2.18). nullopt for
// anything that is not a well-formed positive reply; never reads past the data.
std::optional<TNetBiosNames> ParseNodeStatusReply(const QByteArray& reply);

// Asks address (network byte order) for its node status on UDP port and waits
// for the reply until deadline. nullopt on no answer, a malformed one, the
// deadline or a stop request (noticed within a few milliseconds). Blocks the
// calling thread; any thread may call it, each call with its own socket.
std::optional<TNetBiosNames> QueryNetBiosNames(uint32_t address,
                                               std::chrono::steady_clock::time_point deadline,
                                               const std::stop_token& stop, uint16_t port = 137);
