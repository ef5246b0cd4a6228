#pragma once

#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <stop_token>
#include <vector>

// Where a computer of the host list was learned; a host may carry several bits.
enum class THostSource : uint8_t {
    NetBios = 1,     // the NetBIOS browse list
    WsDiscovery = 2, // a WS-Discovery ProbeMatch (Windows, wsdd)
    DnsSd = 4,       // a DNS-SD instance of _smb._tcp (or _ftp._tcp) over multicast DNS
};

// The Provider of the scope browser's resources that only multicast discovery
// knows (a group no NetBIOS browse lists, a computer): the search does not ask
// the NetBIOS browse for them.
inline const QString kDiscoveryProvider = QStringLiteral("Multicast discovery");

// One computer of the host list.
struct TFoundHost {
    QString Address; // dotted IPv4 (preferred) or IPv6 text; empty when only the name is known
    QString Name;    // computer name without "\\"; empty when nothing told it
    QString Group;   // workgroup or domain; empty when unknown
    uint8_t Sources = 0;

    bool From(THostSource source) const { return (Sources & static_cast<uint8_t>(source)) != 0; }
};

// Finds the computers on the local links by multicast (WS-Discovery and DNS-SD), the
// sources besides the NetBIOS browse list.
//
// Blocking and cancel: discover() blocks the calling thread for about window (plus
// the bounded time the answering computers take to tell their names); a stop request
// ends it within a few milliseconds with what was complete by then. It may run on
// any thread, several calls at once.
// Watching announcements runs until this object is destroyed; no callback runs
// after its destructor returned.
class HostWatch {
public:
    virtual ~HostWatch() = default;
};

class HostDiscovery {
public:
    // joined false: the computer said it leaves (only its Address may be known).
    using AnnouncementCallback = std::function<void(const TFoundHost& host, bool joined)>;

    virtual ~HostDiscovery() = default;
    // Listens for computers joining and leaving the links (WS-Discovery Hello and
    // Bye) while the returned watch lives; the callback runs on a thread of the
    // watch. Null when announcements cannot be heard (the port is taken).
    // The callback is taken by value because the watches keep it (a sink); this
    // default keeps nothing.
    // NOLINTNEXTLINE(performance-unnecessary-value-param)
    virtual std::unique_ptr<HostWatch> watch(AnnouncementCallback) { return nullptr; }
    // ftp: also look for computers announcing _ftp._tcp.
    virtual std::vector<TFoundHost> discover(std::chrono::milliseconds window, bool ftp,
                                             std::stop_token stop) = 0;
};
