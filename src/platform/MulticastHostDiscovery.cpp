#include "platform/MulticastHostDiscovery.h"

#include "model/IpAddress.h"
#include "platform/MdnsServiceBrowser.h"
#include "platform/NetBiosNameQuery.h"
#include "platform/ReverseLookupChannel.h"
#include "platform/WsDiscoveryClient.h"
#include "platform/WsDiscoveryListener.h"

#include <condition_variable>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

TFoundHost ToFoundHost(const TDiscoveredHost& host)
{
    TFoundHost found;
    found.Address = host.address;
    found.Name = host.name;
    found.Group = host.workgroup.isEmpty() ? host.domain : host.workgroup;
    found.Sources = static_cast<uint8_t>(
        host.source == DiscoverySource::WsDiscovery ? THostSource::WsDiscovery : THostSource::DnsSd);
    return found;
}

QString LookupHostName(const QString& address, std::chrono::milliseconds deadline,
                       const std::stop_token& stop)
{
    const uint32_t ip = TextToIp(address);
    if (address.contains(u':') || ip == 0)
        return {};
    struct Shared {
        std::mutex lock;
        std::condition_variable done;
        bool finished = false;
        QString name;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, ip] {
        const QString name = ReverseLookupChannel::LookupName(ip);
        std::lock_guard guard(shared->lock);
        shared->name = name;
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    const auto until = std::chrono::steady_clock::now() + deadline;
    std::unique_lock guard(shared->lock);
    // Woken every few milliseconds to notice a stop request.
    while (!shared->finished && !stop.stop_requested() && std::chrono::steady_clock::now() < until)
        shared->done.wait_for(guard, std::chrono::milliseconds(20));
    if (!shared->finished)
        return {};
    const QString name = shared->name;
    const qsizetype dot = name.indexOf(u'.');
    return dot > 0 ? name.left(dot) : name;
}

void NameWithoutMetadata(TDiscoveredHost& host, std::chrono::steady_clock::time_point deadline,
                         const std::stop_token& stop)
{
    const uint32_t ip = TextToIp(host.address);
    if (host.address.contains(u':') || ip == 0)
        return;
    if (const std::optional<TNetBiosNames> names = QueryNetBiosNames(ip, deadline, stop)) {
        host.name = names->computer;
        if (host.workgroup.isEmpty() && host.domain.isEmpty())
            host.workgroup = names->group;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (host.name.isEmpty() && left.count() > 0)
        host.name = LookupHostName(host.address, left, stop);
}

std::vector<TFoundHost> MulticastHostDiscovery::discover(std::chrono::milliseconds window, bool ftp,
                                                         std::stop_token stop)
{
    TWsDiscoveryOptions wsOptions;
    wsOptions.window = window;
    wsOptions.fallbackNamer = NameWithoutMetadata;
    TMdnsOptions mdnsOptions;
    mdnsOptions.window = window;
    // Exact text: the DNS-SD service types file servers announce; README names them and
    // the multicast discovery tests announce them.
    QStringList types{QStringLiteral("_smb._tcp.local")};
    if (ftp)
        types << QStringLiteral("_ftp._tcp.local");

    // The window counts from this call: the threads' start-up is part of it.
    const auto deadline = std::chrono::steady_clock::now() + window;
    const auto rest = [deadline] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                     std::chrono::steady_clock::now());
    };
    auto wsd = std::async(std::launch::async, [wsOptions, stop, rest]() mutable {
        wsOptions.window = rest();
        return WsDiscoveryClient(wsOptions).discover(stop);
    });
    auto mdns = std::async(std::launch::async, [mdnsOptions, types, stop, rest]() mutable {
        mdnsOptions.window = rest();
        return MdnsServiceBrowser(mdnsOptions).browse(types, stop);
    });
    std::vector<TDiscoveredHost> hosts = wsd.get();
    std::vector<TDiscoveredHost> more = mdns.get();
    hosts.insert(hosts.end(), more.begin(), more.end());

    std::vector<TFoundHost> found;
    found.reserve(hosts.size());
    for (const TDiscoveredHost& host : hosts)
        found.push_back(ToFoundHost(host));
    return found;
}

namespace {

class AnnouncementWatch final : public HostWatch {
public:
    explicit AnnouncementWatch(HostDiscovery::AnnouncementCallback callback)
        : m_callback(std::move(callback)),
          m_listener([this](const TWsAnnouncement& announcement) { onAnnouncement(announcement); })
    {
    }
    ~AnnouncementWatch() override
    {
        m_stop.request_stop();
        m_listener.stop();
    }
    bool start() { return m_listener.start(); }

private:
    // On the listener's thread; the metadata fetch is bounded and notices the stop.
    void onAnnouncement(const TWsAnnouncement& announcement)
    {
        if (!announcement.endpoint.isComputer() && announcement.hello)
            return;
        TDiscoveredHost host;
        host.address = announcement.sourceAddress;
        host.source = DiscoverySource::WsDiscovery;
        if (announcement.hello) {
            FetchComputerMetadata(announcement.endpoint, host, std::chrono::milliseconds(2000),
                                  m_stop.get_token());
            if (host.name.isEmpty())
                NameWithoutMetadata(host,
                                    std::chrono::steady_clock::now() + MulticastHostDiscovery::kNameDeadline,
                                    m_stop.get_token());
        }
        if (!m_stop.stop_requested())
            m_callback(ToFoundHost(host), announcement.hello);
    }

    HostDiscovery::AnnouncementCallback m_callback;
    std::stop_source m_stop;
    WsDiscoveryListener m_listener;
};

} // namespace

std::unique_ptr<HostWatch> MulticastHostDiscovery::watch(AnnouncementCallback callback)
{
    auto watch = std::make_unique<AnnouncementWatch>(std::move(callback));
    if (!watch->start())
        return nullptr;
    return watch;
}
