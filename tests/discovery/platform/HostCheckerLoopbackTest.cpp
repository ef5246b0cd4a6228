#include "engine/PumpDispatcher.h"
#include "model/DiscoveryOptions.h"
#include "model/DiscoverySettings.h"
#include "model/IpAddress.h"
#include "platform/HostChecker.h"
#include "platform/NetBiosStatusChannel.h"
#include "support/NetBiosResponder.h"

#include <gtest/gtest.h>
#include <map>
#include <netdb.h>
#include <stop_token>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

uint32_t Ip(const QString& text)
{
    return TextToIp(text);
}

// Real probes in the root namespace, only ever at loopback addresses: 127.0.0.1 and
// 127.0.2.x, where this test's NetBIOS responders listen.
class HostCheckerLoopbackTest : public ::testing::Test {
protected:
    // What the next checks start with (the search's options and stop).
    TDiscoveryOptions discovery;
    std::stop_source stop;

    void SetUp() override
    {
        stop = std::stop_source();
        discovery.TimeOut = 2000;
        discovery.Methods = TDiscoveryMethod::ICMP | TDiscoveryMethod::NetBios | TDiscoveryMethod::ARP;
        discovery.ResolveAddress = false;
        answering = std::make_unique<NetBiosResponder>("127.0.2.1");
        // Every responder shares the port, since the checker sends to one port.
        port = answering->port();
        checker = std::make_unique<HostChecker>(dispatcher, OpenSystemProbeChannels(port));
    }
    void TearDown() override
    {
        checker.reset();
        discovery.TimeOut = 1000;
        discovery.Methods = TDiscoveryMethods::All();
        discovery.ResolveAddress = false;
    }
    THostCheckResult check(const QString& address)
    {
        int delivered = 0;
        THostCheckResult result;
        checker->start(Ip(address), discovery, stop.get_token(), [&](const THostCheckResult& r) {
            result = r;
            ++delivered;
        });
        EXPECT_TRUE(dispatcher.pumpUntil([&] { return delivered > 0; }, 60s));
        dispatcher.pumpFor(20ms);
        EXPECT_EQ(delivered, 1);
        return result;
    }
    bool skipWithoutIcmp()
    {
        if (checker->available())
            return false;
        std::cout << "[  SKIPPED ] no ICMP socket: needs root, CAP_NET_RAW or net.ipv4.ping_group_range\n";
        return true;
    }

    PumpDispatcher dispatcher;
    std::unique_ptr<NetBiosResponder> answering;
    uint16_t port = 0;
    std::unique_ptr<HostChecker> checker;
};

TEST_F(HostCheckerLoopbackTest, IcmpEchoToLoopbackIsAnswered)
{
    if (skipWithoutIcmp())
        GTEST_SKIP() << "no ICMP socket";
    discovery.Methods = TDiscoveryMethod::ICMP;
    EXPECT_EQ(check("127.0.0.1").resultCode, 1);
    EXPECT_EQ(check("127.0.2.9").resultCode, 1);
}

TEST_F(HostCheckerLoopbackTest, NetBiosNodeStatusIsAnsweredByTheResponder)
{
    discovery.Methods = TDiscoveryMethod::NetBios;
    const THostCheckResult result = check("127.0.2.1");
    EXPECT_EQ(result.resultCode, 1);
    const std::vector<NetBiosResponder::Request> requests = answering->requests();
    ASSERT_EQ(requests.size(), 1u);
    // Only the tick-count identifier may differ from the fixed request.
    EXPECT_EQ(requests[0].bytes.mid(2).toHex(),
              NetBiosStatusChannel::BuildNodeStatusRequest(0).mid(2).toHex());
}

TEST_F(HostCheckerLoopbackTest, NetBiosShortReplySilenceAndClosedPortAreNoAnswer)
{
    discovery.Methods = TDiscoveryMethod::NetBios;
    NetBiosResponder shortReply("127.0.2.2", port, NetBiosResponder::Mode::ShortReply);
    NetBiosResponder silent("127.0.2.3", port, NetBiosResponder::Mode::Silent);
    EXPECT_EQ(check("127.0.2.2").resultCode, 0);
    EXPECT_EQ(shortReply.requests().size(), 1u);

    discovery.TimeOut = 300;
    const Clock::time_point started = Clock::now();
    EXPECT_EQ(check("127.0.2.3").resultCode, 0);
    EXPECT_GE(Clock::now() - started, 300ms); // waited its time-out
    EXPECT_EQ(silent.requests().size(), 1u);

    // Nobody listens at 127.0.2.4: the port-unreachable ends the probe long before
    // a time-out of a minute.
    discovery.TimeOut = 60000;
    const Clock::time_point closedStarted = Clock::now();
    EXPECT_EQ(check("127.0.2.4").resultCode, 0);
    EXPECT_LT(Clock::now() - closedStarted, 30s);
}

TEST_F(HostCheckerLoopbackTest, MethodZeroFindsNothingAndSendsNothing)
{
    discovery.Methods = {};
    EXPECT_EQ(check("127.0.0.1").resultCode, 0);
    EXPECT_EQ(check("127.0.2.1").resultCode, 0);
    EXPECT_TRUE(answering->requests().empty());
}

TEST_F(HostCheckerLoopbackTest, IcmpAndNetBiosAreAskedTogether)
{
    if (skipWithoutIcmp())
        GTEST_SKIP() << "no ICMP socket";
    discovery.Methods = TDiscoveryMethod::ICMP | TDiscoveryMethod::NetBios;
    EXPECT_EQ(check("127.0.2.1").resultCode, 1);
    // Both methods started at once: NetBIOS was asked although ICMP answers too.
    EXPECT_EQ(answering->requests().size(), 1u);
    // Without ICMP the same address is found by NetBIOS.
    discovery.Methods = TDiscoveryMethod::NetBios | TDiscoveryMethod::ARP;
    EXPECT_EQ(check("127.0.2.1").resultCode, 1);
    EXPECT_EQ(answering->requests().size(), 2u);
}

TEST_F(HostCheckerLoopbackTest, LoopbackHasNoNeighbourSoArpFailsAtOnce)
{
    discovery.Methods = TDiscoveryMethod::ARP;
    discovery.TimeOut = 60000;
    const Clock::time_point started = Clock::now();
    EXPECT_EQ(check("127.0.2.1").resultCode, 0);
    EXPECT_LT(Clock::now() - started, 30s);
}

TEST_F(HostCheckerLoopbackTest, ReverseLookupNamesLocalhost)
{
    // Only 127.0.0.1: its name comes from the hosts file, no DNS query leaves.
    if (skipWithoutIcmp())
        GTEST_SKIP() << "no ICMP socket";
    discovery.Methods = TDiscoveryMethod::ICMP;
    discovery.ResolveAddress = true;
    const THostCheckResult result = check("127.0.0.1");
    EXPECT_EQ(result.resultCode, 1);
    EXPECT_FALSE(result.hostName.isEmpty());
    // The official name, as the classic resolver call gives it.
    const in_addr loopback{Ip("127.0.0.1")};
    const hostent* entry = gethostbyaddr(&loopback, sizeof loopback, AF_INET);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(result.hostName, QString::fromLocal8Bit(entry->h_name));
}

TEST_F(HostCheckerLoopbackTest, ABurstOfAThousandEchoesIsAllAnswered)
{
    if (skipWithoutIcmp())
        GTEST_SKIP() << "no ICMP socket";
    discovery.Methods = TDiscoveryMethod::ICMP;
    discovery.TimeOut = 5000;
    // 127.0.2.0 - 127.0.2.255 four times over: replies of one address are told apart
    // by their sequence numbers.
    std::map<uint32_t, int> answered;
    int delivered = 0;
    for (int round = 0; round < 4; ++round) {
        for (int host = 0; host < 256; ++host) {
            const uint32_t address = Ip(QStringLiteral("127.0.2.%1").arg(host));
            checker->start(address, discovery, stop.get_token(),
                           [&, address](const THostCheckResult& result) {
                               ++delivered;
                               answered[address] += result.resultCode == 1;
                           });
        }
    }
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return delivered == 1024; }, 60s));
    ASSERT_EQ(answered.size(), 256u);
    for (const auto& [address, count] : answered)
        EXPECT_EQ(count, 4) << IpToText(address).toStdString();
}

} // namespace
