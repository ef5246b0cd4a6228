#include "platform/MdnsServiceBrowser.h"

#include "platform/DnsMessage.h"
#include "platform/MulticastInterfaces.h"
#include "platform/StopWaker.h"
#include "platform/UdpMulticast.h"

#include <map>
#include <set>

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr uint16_t kMdnsPort = 5353;
const char* const kIpv4Group = "224.0.0.251";
const char* const kIpv6Group = "ff02::fb";
constexpr auto kRepeatDelay = 250ms;

QString Key(const QString& name)
{
    return (name.endsWith(u'.') ? name.chopped(1) : name).toLower();
}

struct Instance {
    QString name; // full instance name
    QString serviceType;
    QString target; // SRV target host; empty until known
    QString senderAddress;
    bool srvAsked = false;
};

struct HostAddresses {
    QStringList ipv4;
    QStringList ipv6;
    bool asked = false;
};

// What the answers told so far, and which follow-up questions they call for.
class BrowseState {
public:
    explicit BrowseState(const QStringList& serviceTypes)
    {
        for (const QString& type : serviceTypes)
            m_serviceTypes.insert(Key(type));
    }

    void take(const Dns::Message& message, const QString& sender)
    {
        for (const Dns::Record& record : message.records) {
            const QString name = Key(record.name);
            if (record.type == Dns::TypePtr && m_serviceTypes.count(name)) {
                Instance& instance = m_instances[Key(record.target)];
                if (instance.name.isEmpty()) {
                    instance.name = record.target;
                    instance.serviceType = name;
                    instance.senderAddress = sender;
                } else if (instance.senderAddress.contains(u':') && !sender.contains(u':')) {
                    instance.senderAddress = sender; // answered over both families: IPv4 names it
                }
            }
        }
        // Records of one message may come in any order: SRV after PTR is not assured.
        for (const Dns::Record& record : message.records) {
            const QString name = Key(record.name);
            if (record.type == Dns::TypeSrv && m_instances.count(name))
                m_instances[name].target = record.target;
            else if (record.type == Dns::TypeA)
                AddOnce(m_hosts[name].ipv4, record.address);
            else if (record.type == Dns::TypeAaaa)
                AddOnce(m_hosts[name].ipv6, record.address);
        }
    }

    std::vector<Dns::Question> followUps(bool ipv6)
    {
        std::vector<Dns::Question> questions;
        for (auto& [key, instance] : m_instances) {
            if (instance.target.isEmpty() && !instance.srvAsked) {
                instance.srvAsked = true;
                questions.push_back({instance.name, Dns::TypeSrv, true});
                questions.push_back({instance.name, Dns::TypeTxt, true});
            } else if (!instance.target.isEmpty()) {
                HostAddresses& host = m_hosts[Key(instance.target)];
                if (host.ipv4.isEmpty() && host.ipv6.isEmpty() && !host.asked) {
                    host.asked = true;
                    questions.push_back({instance.target, Dns::TypeA, true});
                    if (ipv6)
                        questions.push_back({instance.target, Dns::TypeAaaa, true});
                }
            }
        }
        return questions;
    }

    std::vector<TDiscoveredHost> hosts() const
    {
        std::vector<TDiscoveredHost> result;
        std::set<std::pair<QString, QString>> seen;
        for (const auto& [key, instance] : m_instances) {
            TDiscoveredHost host;
            host.source = DiscoverySource::Mdns;
            host.name = instance.name.left(instance.name.size() - instance.serviceType.size() - 1);
            host.address = instance.senderAddress;
            if (!instance.target.isEmpty()) {
                host.name = instance.target.section(u'.', 0, 0);
                const auto found = m_hosts.find(Key(instance.target));
                if (found != m_hosts.end() && !found->second.ipv4.isEmpty())
                    host.address = found->second.ipv4.front();
                else if (found != m_hosts.end() && !found->second.ipv6.isEmpty())
                    host.address = Ipv6Address(found->second.ipv6, instance.senderAddress);
            }
            if (seen.insert({host.name.toLower(), host.address}).second)
                result.push_back(host);
        }
        return result;
    }

private:
    // A link-local AAAA record carries no interface; the sender's address has one.
    static QString Ipv6Address(const QStringList& addresses, const QString& sender)
    {
        for (const QString& address : addresses) {
            if (!address.startsWith(QLatin1String("fe80:"), Qt::CaseInsensitive))
                return address;
        }
        return sender.contains(u':') ? sender : addresses.front();
    }

    static void AddOnce(QStringList& list, const QString& value)
    {
        if (!value.isEmpty() && !list.contains(value))
            list.append(value);
    }

    std::set<QString> m_serviceTypes;
    std::map<QString, Instance> m_instances;
    std::map<QString, HostAddresses> m_hosts;
};

void SendToAll(const std::vector<TMulticastSender>& senders, const QByteArray& query)
{
    for (const TMulticastSender& sender : senders)
        SendTo(sender.socket.get(), query, sender.group);
}

} // namespace

std::vector<TDiscoveredHost> MdnsServiceBrowser::browse(const QStringList& serviceTypes,
                                                        std::stop_token stop) const
{
    // The window includes opening the sockets: callers wait for the window, not more.
    const Clock::time_point started = Clock::now();
    const std::vector<TMulticastInterface> interfaces = MulticastInterfaces();
    const char* ipv4Group = m_options.ipv4 ? kIpv4Group : nullptr;
    const char* ipv6Group = m_options.ipv6 ? kIpv6Group : nullptr;
    const std::vector<TMulticastSender> senders =
        OpenMulticastSenders(interfaces, ipv4Group, ipv6Group, kMdnsPort);
    if (senders.empty() || serviceTypes.isEmpty())
        return {};
    const std::vector<UniqueFd> listeners = OpenGroupListeners(interfaces, ipv4Group, ipv6Group, kMdnsPort);
    std::vector<int> fds;
    fds.reserve(senders.size() + listeners.size());
    for (const TMulticastSender& sender : senders)
        fds.push_back(sender.socket.get());
    for (const UniqueFd& listener : listeners)
        fds.push_back(listener.get());

    std::vector<Dns::Question> browseQuestions;
    for (const QString& type : serviceTypes)
        browseQuestions.push_back({type, Dns::TypePtr, true});
    const QByteArray browseQuery = Dns::BuildQuery(browseQuestions);
    SendToAll(senders, browseQuery);

    BrowseState state(serviceTypes);
    StopWaker waker(std::move(stop));
    const Clock::time_point deadline = started + m_options.window;
    bool repeated = false;
    while (!waker.stopRequested() && Clock::now() < deadline) {
        const Clock::time_point repeatAt = started + kRepeatDelay;
        const std::vector<int> ready =
            waker.waitReadable(fds, repeated ? deadline : std::min(deadline, repeatAt));
        if (!repeated && Clock::now() >= repeatAt) {
            repeated = true;
            SendToAll(senders, browseQuery);
        }
        for (int fd : ready) {
            QByteArray datagram;
            TSocketAddress source;
            bool truncated = false;
            while (ReceiveFrom(fd, datagram, source, Dns::kMaxMessageSize, truncated)) {
                const std::optional<Dns::Message> message = Dns::ParseMessage(datagram);
                if (message && message->isResponse())
                    state.take(*message, source.addressText());
            }
        }
        const std::vector<Dns::Question> followUps = state.followUps(m_options.ipv6);
        if (!followUps.empty())
            SendToAll(senders, Dns::BuildQuery(followUps));
    }
    return state.hosts();
}
