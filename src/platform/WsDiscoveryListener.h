#pragma once

#include "platform/UdpMulticast.h"
#include "platform/WsDiscoveryMessages.h"

#include <functional>
#include <thread>

// Listens for WS-Discovery Hello and Bye announcements: computers joining or
// leaving the links while a view of the network is open.
//
// Threading and cancel: start() joins 239.255.255.250 (and ff02::c) on port 3702
// on every up, multicast-capable interface and runs one thread of its own; the
// callback runs on that thread, one announcement at a time, and must not call
// stop(). stop() (and the destructor) ends the thread within a few milliseconds
// and returns after it has ended: no callback runs after stop() returned.
struct TWsAnnouncement {
    bool hello = true;      // false: Bye
    Wsd::Endpoint endpoint; // a Hello from Windows may carry no XAddrs
    QString sourceAddress;
};

class WsDiscoveryListener {
public:
    using Callback = std::function<void(const TWsAnnouncement&)>;

    explicit WsDiscoveryListener(Callback callback, bool ipv6 = true);
    ~WsDiscoveryListener();
    WsDiscoveryListener(const WsDiscoveryListener&) = delete;
    WsDiscoveryListener& operator=(const WsDiscoveryListener&) = delete;

    // False when port 3702 could not be bound or no group joined on any interface.
    bool start();
    void stop();

private:
    void run(std::stop_token stop);

    Callback m_callback;
    bool m_ipv6;
    std::vector<UniqueFd> m_sockets;
    std::jthread m_thread;
};
