#include "platform/WsDiscoveryClient.h"

#include "platform/HttpSoapPost.h"
#include "platform/MulticastInterfaces.h"
#include "platform/StopWaker.h"
#include "platform/UdpMulticast.h"

#include <QUrl>
#include <map>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// SOAP-over-UDP repeats multicast messages against loss; one repeat is enough on
// a LAN, and responders drop the duplicate by its MessageID.
constexpr auto kProbeRepeatDelay = 250ms;

struct FoundEndpoint {
    Wsd::Endpoint endpoint;
    TSocketAddress source;
    size_t senderIndex = 0;
    bool resolveSent = false;
};

// A link-local IPv6 XAddr (wsdd serves them) carries no interface; it is the one
// the match came by.
QString WithScope(const QString& xaddr, const QString& sourceAddress)
{
    const qsizetype percent = sourceAddress.indexOf(u'%');
    QUrl url(xaddr);
    const QString host = url.host();
    if (percent < 0 || host.contains(u'%') || !host.startsWith(QLatin1String("fe80:"), Qt::CaseInsensitive))
        return xaddr;
    url.setHost(host + sourceAddress.mid(percent));
    return url.toString();
}

// The XAddr to ask first: one on the address the match came from.
QStringList OrderedXAddrs(const Wsd::Endpoint& endpoint, const QString& sourceAddress)
{
    QStringList ordered;
    for (const QString& given : endpoint.xaddrs) {
        const QString xaddr = WithScope(given, sourceAddress);
        if (QUrl(xaddr).host() == sourceAddress)
            ordered.prepend(xaddr);
        else
            ordered.append(xaddr);
    }
    return ordered;
}

} // namespace

bool FetchComputerMetadata(const Wsd::Endpoint& endpoint, TDiscoveredHost& host,
                           std::chrono::milliseconds timeout, const std::stop_token& stop)
{
    const QByteArray request = Wsd::BuildMetadataGet(Wsd::NewMessageId(), endpoint.address);
    for (const QString& xaddr : OrderedXAddrs(endpoint, host.address)) {
        if (stop.stop_requested())
            return false;
        const Result<THttpReply> reply = PostSoap(xaddr, request, timeout, stop);
        if (!reply || reply.value().status != 200)
            continue;
        const std::optional<Wsd::ComputerInfo> info = Wsd::ParseMetadata(reply.value().body);
        if (!info)
            continue;
        host.name = info->name;
        host.workgroup = info->workgroup;
        host.domain = info->domain;
        return true;
    }
    return false;
}

std::vector<TDiscoveredHost> WsDiscoveryClient::discover(const std::stop_token& stop) const
{
    // The window includes opening the sockets: callers wait for the window, not more.
    const Clock::time_point started = Clock::now();
    const std::vector<TMulticastSender> senders =
        OpenMulticastSenders(MulticastInterfaces(), m_options.ipv4 ? Wsd::kIpv4Group : nullptr,
                             m_options.ipv6 ? Wsd::kIpv6Group : nullptr, Wsd::kPort);
    if (senders.empty())
        return {};
    const QString probeId = Wsd::NewMessageId();
    const QByteArray probe = Wsd::BuildProbe(probeId);
    std::set<QString> ourIds{probeId};
    std::vector<int> fds;
    for (const TMulticastSender& sender : senders) {
        SendTo(sender.socket.get(), probe, sender.group);
        fds.push_back(sender.socket.get());
    }
    StopWaker waker(stop);
    std::map<QString, FoundEndpoint> found; // by endpoint address
    const Clock::time_point deadline = started + m_options.window;
    WsDiscoveryNaming naming(m_options.metadataTimeout, m_options.maxParallelGets, m_options.fallbackNamer,
                             deadline, stop);
    bool repeated = false;
    while (!waker.stopRequested() && Clock::now() < deadline) {
        const Clock::time_point repeatAt = started + kProbeRepeatDelay;
        const std::vector<int> ready =
            waker.waitReadable(fds, repeated ? deadline : std::min(deadline, repeatAt));
        if (!repeated && Clock::now() >= repeatAt) {
            repeated = true;
            for (const TMulticastSender& sender : senders)
                SendTo(sender.socket.get(), probe, sender.group);
        }
        for (int fd : ready) {
            const size_t senderIndex =
                static_cast<size_t>(std::find(fds.begin(), fds.end(), fd) - fds.begin());
            QByteArray datagram;
            TSocketAddress source;
            bool truncated = false;
            while (ReceiveFrom(fd, datagram, source, Wsd::kMaxMessageSize, truncated)) {
                if (truncated)
                    continue;
                const std::optional<Wsd::Message> message = Wsd::ParseMessage(datagram);
                if (!message || !ourIds.count(message->relatesTo) ||
                    (message->action != Wsd::Action::ProbeMatches &&
                     message->action != Wsd::Action::ResolveMatches))
                    continue;
                for (const Wsd::Endpoint& endpoint : message->endpoints) {
                    if (endpoint.address.isEmpty() || !endpoint.isComputer())
                        continue;
                    FoundEndpoint& entry = found[endpoint.address];
                    if (entry.endpoint.address.isEmpty())
                        entry = FoundEndpoint{endpoint, source, senderIndex, false};
                    else if (entry.endpoint.xaddrs.isEmpty())
                        entry.endpoint.xaddrs = endpoint.xaddrs;
                    // The same computer over both families: its IPv4 address names it.
                    if (entry.source.family() == AF_INET6 && source.family() == AF_INET)
                        entry.source = source;
                    if (!entry.endpoint.xaddrs.isEmpty())
                        naming.start(entry.endpoint, entry.source.addressText());
                    else if (!entry.resolveSent) {
                        const QString resolveId = Wsd::NewMessageId();
                        ourIds.insert(resolveId);
                        const TMulticastSender& sender = senders[senderIndex];
                        SendTo(sender.socket.get(), Wsd::BuildResolve(resolveId, endpoint.address),
                               sender.group);
                        entry.resolveSent = true;
                    }
                }
            }
        }
    }
    // Computers whose XAddrs never came can only be named by the fallback now.
    for (const auto& [address, entry] : found)
        naming.start(entry.endpoint, entry.source.addressText());
    const std::map<QString, TDiscoveredHost> named = naming.finish();
    std::vector<TDiscoveredHost> hosts;
    for (const auto& [address, entry] : found) {
        const auto name = named.find(address);
        TDiscoveredHost host = name != named.end() ? name->second : TDiscoveredHost{};
        host.address = entry.source.addressText();
        host.source = DiscoverySource::WsDiscovery;
        hosts.push_back(host);
    }
    return hosts;
}
