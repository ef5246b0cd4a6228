#include "model/IpAddress.h"
#include "platform/MdnsServiceBrowser.h"
#include "platform/MulticastInterfaces.h"
#include "platform/TcpConnectChannel.h"
#include "platform/UdpMulticast.h"
#include "platform/WsDiscoveryClient.h"
#include "platform/WsDiscoveryListener.h"
#include "support/DiscoveryNet.h"
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
    g_net->runInClient([&] { hosts = WsDiscoveryClient({1500ms, 2000ms, true, 16}).discover({}); });
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].address, QStringLiteral("198.18.0.2"));
    EXPECT_EQ(hosts[0].name, QStringLiteral("KWSD1"));
    EXPECT_EQ(hosts[0].workgroup, QStringLiteral("KESTROVALAB"));
    EXPECT_TRUE(hosts[0].domain.isEmpty());
    EXPECT_EQ(hosts[0].source, DiscoverySource::WsDiscovery);
}

TEST_F(MulticastDiscoveryNamespaceTest, MdnsBrowseFindsTheSmbService)
{
    std::vector<TDiscoveredHost> hosts;
    g_net->runInClient([&] {
        hosts = MdnsServiceBrowser({1500ms, true}).browse({QStringLiteral("_smb._tcp.local")}, {});
    });
    ASSERT_EQ(hosts.size(), 1u);
    EXPECT_EQ(hosts[0].address, QStringLiteral("198.18.0.3"));
    EXPECT_EQ(hosts[0].name, QStringLiteral("kmdns1"));
    EXPECT_EQ(hosts[0].source, DiscoverySource::Mdns);
    // Nobody offers FTP here.
    std::vector<TDiscoveredHost> ftp;
    g_net->runInClient([&] {
        ftp = MdnsServiceBrowser({800ms, true}).browse({QStringLiteral("_ftp._tcp.local")}, {});
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
                WsDiscoveryClient({30s, 30s, true, 16}).discover(stop.get_token());
            else
                MdnsServiceBrowser({30s, true}).browse({QStringLiteral("_smb._tcp.local")}, stop.get_token());
            EXPECT_LT(Clock::now() - started, 200ms + 300ms) << which;
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
    EXPECT_LT(Clock::now() - stopping, 200ms);
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
