#include "engine/HostList.h"
#include "model/IpAddress.h"
#include "platform/MdnsServiceBrowser.h"
#include "platform/MulticastHostDiscovery.h"
#include "platform/MulticastInterfaces.h"
#include "platform/TcpConnectChannel.h"
#include "platform/UdpMulticast.h"
#include "platform/WsDiscoveryClient.h"
#include "platform/WsDiscoveryListener.h"
#include "support/DiscoveryNet.h"
#include "support/FixtureServerProcess.h"
#include "support/NetBiosResponder.h"
#include "support/QStringPrinter.h"
#include "support/RunProgram.h"

#include <QDir>
#include <exception>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <mutex>
#include <poll.h>
#include <sched.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

DiscoveryNet* g_net = nullptr;

class MulticastDiscoveryNamespaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { g_net = new DiscoveryNet; }
    static void TearDownTestSuite()
    {
        delete g_net;
        g_net = nullptr;
    }
    void SetUp() override
    {
        if (!g_net->unavailable().isEmpty())
            GTEST_SKIP() << "no discovery network: " << g_net->unavailable().toStdString();
    }
};

TEST_F(MulticastDiscoveryNamespaceTest, WsDiscoveryFindsTheComputerWithNameAndWorkgroup)
{
    std::vector<TDiscoveredHost> hosts;
    g_net->runInClient([&] { hosts = WsDiscoveryClient({1500ms, 2000ms, true, 16, {}, true}).discover({}); });
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].address, QStringLiteral("198.18.0.2"));
    EXPECT_EQ(hosts[0].name, QStringLiteral("KWSD1"));
    EXPECT_EQ(hosts[0].workgroup, QStringLiteral("KESTROVALAB"));
    EXPECT_TRUE(hosts[0].domain.isEmpty());
    EXPECT_EQ(hosts[0].source, DiscoverySource::WsDiscovery);
}

TEST_F(MulticastDiscoveryNamespaceTest, WsDiscoveryNamesTheComputerWhileTheWindowIsOpen)
{
    std::vector<TDiscoveredHost> hosts;
    Clock::duration took{};
    g_net->runInClient([&] {
        const Clock::time_point started = Clock::now();
        hosts = WsDiscoveryClient({800ms, 5000ms, true, 16, {}, true}).discover({});
        took = Clock::now() - started;
    });
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].name, QStringLiteral("KWSD1"));
    // The metadata Get ran during the window: nothing is left to do after it.
    EXPECT_LT(took, 800ms + 100ms);
}

// A program started in a member namespace of the discovery network, by fork and exec
// (not QProcess: see FixtureServerProcess.h), stopped by its PID when the object goes.
class MemberProcess {
public:
    MemberProcess(const QString& member, const QStringList& command)
    {
        m_started = m_process.startProgram(QStringLiteral("ip"),
                                           QStringList{QStringLiteral("netns"), QStringLiteral("exec"),
                                                       g_net->clientNamespace().chopped(1) + member} +
                                               command);
    }
    bool started() const { return m_started; }
    // Waits until the output holds text (the program announced it is ready).
    bool waitForOutput(const QByteArray& text, std::chrono::milliseconds limit)
    {
        const Clock::time_point deadline = Clock::now() + limit;
        while (!(m_output = m_process.output()).contains(text) && Clock::now() < deadline &&
               m_process.running())
            std::this_thread::sleep_for(20ms);
        m_output = m_process.output();
        return m_output.contains(text);
    }
    const QByteArray& output() const { return m_output; }

private:
    FixtureServerProcess m_process;
    QByteArray m_output;
    bool m_started = false;
};

// wsdd on host d (198.18.0.4) as KWSD6, answering over IPv4 and IPv6, or with its
// metadata service off (httpOff). Ready once it sent its Hello.
std::unique_ptr<MemberProcess> StartWsddOnD(const char* name, bool httpOff)
{
    QStringList command{QStringLiteral("wsdd"),
                        QStringLiteral("-v"),
                        QStringLiteral("-s"),
                        QStringLiteral("-i"),
                        QStringLiteral("eth0"),
                        QStringLiteral("-n"),
                        QLatin1String(name),
                        QStringLiteral("-w"),
                        QStringLiteral("KESTROVALAB"),
                        QStringLiteral("-U"),
                        QStringLiteral("6b657374-726f-7661-0000-00000000000d")};
    if (httpOff)
        command << QStringLiteral("-4") << QStringLiteral("-t");
    auto process = std::make_unique<MemberProcess>(QStringLiteral("d"), command);
    if (!process->started() || !process->waitForOutput("Hello", 10s))
        return nullptr;
    std::this_thread::sleep_for(300ms); // the other family's sockets come up alongside
    return process;
}

TEST_F(MulticastDiscoveryNamespaceTest, Ipv6AnswersAreMergedIntoTheSameHosts)
{
    const std::unique_ptr<MemberProcess> wsdd = StartWsddOnD("KWSD6", false);
    ASSERT_TRUE(wsdd) << "wsdd on d did not start";
    MemberProcess mdns(QStringLiteral("d"),
                       {QStringLiteral("/usr/bin/python3"), FixturePath(QStringLiteral("mdns_responder.py")),
                        QStringLiteral("198.18.0.4"), QStringLiteral("K6MDNS"), QStringLiteral("k6mdns"),
                        QStringLiteral("2001:2::4")});
    ASSERT_TRUE(mdns.waitForOutput("registered", 10s)) << mdns.output().toStdString();

    // IPv6 only: no IPv4 socket is opened, so whatever is found answered over IPv6.
    std::vector<TDiscoveredHost> wsd6;
    std::vector<TDiscoveredHost> mdns6;
    g_net->runInClient([&] {
        TWsDiscoveryOptions options;
        options.ipv4 = false;
        wsd6 = WsDiscoveryClient(options).discover({});
        mdns6 = MdnsServiceBrowser({1500ms, true, false}).browse({QStringLiteral("_smb._tcp.local")}, {});
    });
    ASSERT_EQ(wsd6.size(), 1u) << "only the wsdd on d answers IPv6";
    EXPECT_TRUE(wsd6[0].address.startsWith(QLatin1String("fe80::"))) << wsd6[0].address.toStdString();
    EXPECT_TRUE(wsd6[0].address.endsWith(QLatin1String("%eth0"))) << wsd6[0].address.toStdString();
    EXPECT_EQ(wsd6[0].name, QStringLiteral("KWSD6")) << "metadata fetched over link-local IPv6";
    ASSERT_EQ(mdns6.size(), 1u) << "only the responder on d answers IPv6";
    EXPECT_EQ(mdns6[0].name, QStringLiteral("k6mdns"));
    EXPECT_EQ(mdns6[0].address, QStringLiteral("198.18.0.4")) << "its A record names it";

    // Both families: every computer once, by its IPv4 address.
    std::vector<TDiscoveredHost> wsdBoth;
    std::vector<TFoundHost> found;
    g_net->runInClient([&] {
        wsdBoth = WsDiscoveryClient().discover({});
        found = MulticastHostDiscovery().discover(1500ms, false, {});
    });
    ASSERT_EQ(wsdBoth.size(), 2u);
    for (const TDiscoveredHost& host : wsdBoth)
        EXPECT_FALSE(host.address.contains(u':')) << host.address.toStdString();
    THostList list;
    for (const TFoundHost& host : found)
        list.Add(host);
    QStringList entries;
    for (const TFoundHost& host : list.Hosts())
        entries << host.Address + u' ' + host.Name + u' ' + HostSourceNames(host.Sources);
    entries.sort();
    EXPECT_EQ(entries, QStringList({"198.18.0.2 KWSD1 WS-Discovery", "198.18.0.3 kmdns1 DNS-SD",
                                    "198.18.0.4 KWSD6 WS-Discovery, DNS-SD"}));
}

TEST_F(MulticastDiscoveryNamespaceTest, AResponderWithoutMetadataIsNamedByItsNetBiosNodeStatus)
{
    std::unique_ptr<NetBiosResponder> netBios;
    g_net->runInClient(
        [&] { netBios = std::make_unique<NetBiosResponder>(QStringLiteral("198.18.0.4"), 137); },
        QStringLiteral("d"));
    const std::unique_ptr<MemberProcess> wsdd = StartWsddOnD("KNOHTTP", true);
    ASSERT_TRUE(wsdd) << "wsdd on d did not start";
    std::vector<TFoundHost> found;
    Clock::duration took{};
    g_net->runInClient([&] {
        const Clock::time_point started = Clock::now();
        found = MulticastHostDiscovery().discover(1500ms, false, {});
        took = Clock::now() - started;
    });
    const auto d = std::find_if(found.begin(), found.end(), [](const TFoundHost& host) {
        return host.Address == QStringLiteral("198.18.0.4");
    });
    ASSERT_NE(d, found.end());
    // Its metadata port is closed: the name comes from NetBIOS, not from wsdd's -n.
    EXPECT_EQ(d->Name, QStringLiteral("KESTROVA-TEST"));
    EXPECT_TRUE(d->From(THostSource::WsDiscovery));
    EXPECT_FALSE(netBios->requests().empty());
    EXPECT_LT(took, 1500ms + 200ms) << "a refused Get falls back at once, inside the window";
}

TEST_F(MulticastDiscoveryNamespaceTest, MdnsBrowseFindsTheSmbService)
{
    std::vector<TDiscoveredHost> hosts;
    g_net->runInClient([&] {
        hosts = MdnsServiceBrowser({1500ms, true, true}).browse({QStringLiteral("_smb._tcp.local")}, {});
    });
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].address, QStringLiteral("198.18.0.3"));
    EXPECT_EQ(hosts[0].name, QStringLiteral("kmdns1"));
    EXPECT_EQ(hosts[0].source, DiscoverySource::Mdns);
    // Nobody offers FTP here.
    std::vector<TDiscoveredHost> ftp;
    g_net->runInClient([&] {
        ftp = MdnsServiceBrowser({800ms, true, true}).browse({QStringLiteral("_ftp._tcp.local")}, {});
    });
    EXPECT_TRUE(ftp.empty());
}

TEST_F(MulticastDiscoveryNamespaceTest, StopEndsBothDiscoveriesPromptly)
{
    g_net->runInClient([&] {
        for (int which = 0; which < 2; ++which) {
            std::stop_source stop;
            std::jthread stopper([&] {
                std::this_thread::sleep_for(200ms);
                stop.request_stop();
            });
            const Clock::time_point started = Clock::now();
            if (which == 0)
                WsDiscoveryClient({30s, 30s, true, 16, {}, true}).discover(stop.get_token());
            else
                MdnsServiceBrowser({30s, true, true})
                    .browse({QStringLiteral("_smb._tcp.local")}, stop.get_token());
            EXPECT_LT(Clock::now() - started, 3s) << which; // not the 30 s window
        }
    });
}

QByteArray Announcement(const char* action, const char* messageId)
{
    return QStringLiteral(
               R"(<soap:Envelope xmlns:soap="http://www.w3.org/2003/05/soap-envelope" )"
               R"(xmlns:wsa="http://schemas.xmlsoap.org/ws/2004/08/addressing" )"
               R"(xmlns:wsd="http://schemas.xmlsoap.org/ws/2005/04/discovery"><soap:Header>)"
               R"(<wsa:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/%1</wsa:Action>)"
               R"(<wsa:MessageID>%2</wsa:MessageID></soap:Header><soap:Body><wsd:%1>)"
               R"(<wsa:EndpointReference><wsa:Address>urn:uuid:announcer</wsa:Address></wsa:EndpointReference>)"
               R"(<wsd:Types>pub:Computer</wsd:Types><wsd:XAddrs>http://198.18.0.2:5357/a</wsd:XAddrs>)"
               R"(</wsd:%1></soap:Body></soap:Envelope>)")
        .arg(QLatin1String(action), QLatin1String(messageId))
        .toUtf8();
}

TEST_F(MulticastDiscoveryNamespaceTest, ListenerReportsHelloAndByeFromAnotherHostOnce)
{
    std::mutex lock;
    std::vector<TWsAnnouncement> heard;
    std::unique_ptr<WsDiscoveryListener> listener;
    g_net->runInClient([&] {
        listener = std::make_unique<WsDiscoveryListener>([&](const TWsAnnouncement& announcement) {
            std::lock_guard guard(lock);
            heard.push_back(announcement);
        });
        ASSERT_TRUE(listener->start());
    });
    ASSERT_TRUE(listener);
    // Multicast from the wsdd host's namespace: Hello twice (a repeat), a Probe
    // (not an announcement), then Bye.
    g_net->runInClient(
        [&] {
            const std::vector<TMulticastSender> senders =
                OpenMulticastSenders(MulticastInterfaces(), Wsd::kIpv4Group, nullptr, Wsd::kPort);
            ASSERT_EQ(senders.size(), 1u);
            for (const QByteArray& datagram :
                 {Announcement("Hello", "urn:uuid:h1"), Announcement("Hello", "urn:uuid:h1"),
                  Wsd::BuildProbe(Wsd::NewMessageId()), Announcement("Bye", "urn:uuid:b1")}) {
                ASSERT_TRUE(SendTo(senders[0].socket.get(), datagram, senders[0].group));
                std::this_thread::sleep_for(20ms);
            }
        },
        QStringLiteral("w"));
    const Clock::time_point deadline = Clock::now() + 5s;
    while (Clock::now() < deadline) {
        {
            std::lock_guard guard(lock);
            if (heard.size() >= 2)
                break;
        }
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(100ms);
    const Clock::time_point stopping = Clock::now();
    listener->stop();
    EXPECT_LT(Clock::now() - stopping, 1s);
    std::lock_guard guard(lock);
    ASSERT_EQ(heard.size(), 2u);
    EXPECT_TRUE(heard[0].hello);
    EXPECT_EQ(heard[0].endpoint.address, QStringLiteral("urn:uuid:announcer"));
    EXPECT_EQ(heard[0].endpoint.xaddrs, QStringList{QStringLiteral("http://198.18.0.2:5357/a")});
    EXPECT_EQ(heard[0].sourceAddress, QStringLiteral("198.18.0.2"));
    EXPECT_FALSE(heard[1].hello);
}

// Drives a TCP connect channel like the host checker's loop: polls its descriptor
// and collects until every probe settled or the time is up.
std::map<ProbeId, bool> RunProbes(TcpConnectChannel& channel, const std::vector<QString>& addresses,
                                  std::chrono::milliseconds limit, std::map<ProbeId, ProbeStatus>& started)
{
    std::map<ProbeId, bool> outcomes;
    ProbeId id = 1;
    for (const QString& address : addresses) {
        const ProbeStatus status = channel.begin(id, TextToIp(address));
        started[id] = status;
        if (status != ProbeStatus::Pending)
            outcomes[id] = status == ProbeStatus::Answered;
        ++id;
    }
    const Clock::time_point deadline = Clock::now() + limit;
    while (outcomes.size() < addresses.size() && Clock::now() < deadline) {
        pollfd polled{channel.descriptor(), POLLIN, 0};
        ::poll(&polled, 1, 50);
        std::vector<ProbeOutcome> collected;
        channel.collect(collected);
        for (const ProbeOutcome& outcome : collected)
            outcomes[outcome.id] = outcome.answered;
    }
    return outcomes;
}

TEST_F(MulticastDiscoveryNamespaceTest, TcpConnectAnswersRefusedPortsFailsUnreachableAndWaitsOnDrops)
{
    g_net->runInClient([&] {
        TcpConnectChannel channel;
        ASSERT_TRUE(channel.usable());
        std::map<ProbeId, ProbeStatus> started;
        // 198.18.0.2: nothing on 445/139, so a reset; .4 drops; .99 has nobody behind it.
        const std::map<ProbeId, bool> outcomes =
            RunProbes(channel, {"198.18.0.2", "198.18.0.4", "198.18.0.99"}, 6s, started);
        ASSERT_TRUE(outcomes.count(1));
        EXPECT_TRUE(outcomes.at(1));
        EXPECT_FALSE(outcomes.count(2)) << "a dropped SYN must stay pending until the caller's time-out";
        ASSERT_TRUE(outcomes.count(3)) << "no neighbour answers: host unreachable";
        EXPECT_FALSE(outcomes.at(3));
        EXPECT_EQ(channel.pendingProbes(), 1u);
        channel.cancel(2);
        EXPECT_EQ(channel.pendingProbes(), 0u);
    });
}

} // namespace
