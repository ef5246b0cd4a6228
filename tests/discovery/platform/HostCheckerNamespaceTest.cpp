#include "engine/IpRange.h"
#include "engine/PumpDispatcher.h"
#include "model/DiscoveryOptions.h"
#include "model/DiscoverySettings.h"
#include "model/IpAddress.h"
#include "platform/HostChecker.h"
#include "platform/IcmpEchoChannel.h"
#include "support/NetBiosResponder.h"
#include "support/NetworkLab.h"

#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <set>
#include <stop_token>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

uint32_t Ip(const QString& text)
{
    return TextToIp(text);
}

// Real probes inside a pair of network namespaces made for each test: the checker
// runs in the scanner namespace (198.19.77.1/24), a few hosts answer in the other
// one, every other address of the /24 stays silent. Nothing routes out of the pair,
// and a reverse lookup there fails at once (no route to any name server).
class HostCheckerNamespaceTest : public ::testing::Test {
protected:
    // What the next checks start with (the search's options and stop).
    TDiscoveryOptions discovery;
    std::stop_source stop;

    void SetUp() override
    {
        stop = std::stop_source();
        discovery.TimeOut = 1000;
        discovery.Methods = TDiscoveryMethod::ICMP | TDiscoveryMethod::NetBios | TDiscoveryMethod::ARP;
        discovery.ResolveAddress = false;
    }
    void TearDown() override
    {
        checker.reset();
        responder.reset();
        stop = std::stop_source();
        discovery.TimeOut = 1000;
        discovery.Methods = TDiscoveryMethods::All();
        discovery.ResolveAddress = false;
    }
    // Builds the lab; false (and the reason printed) where namespaces are not available.
    bool makeLab(const NetworkLab::Options& options, bool withResponder = false)
    {
        lab = std::make_unique<NetworkLab>(options);
        if (!lab->ready()) {
            std::cout << "[  SKIPPED ] no network namespaces: " << lab->failure().toStdString() << "\n";
            return false;
        }
        if (withResponder)
            lab->runInHosts(
                [&] { responder = std::make_unique<NetBiosResponder>(options.hostAddresses.front()); });
        const uint16_t port = responder ? responder->port() : 137;
        lab->runInScanner(
            [&] { checker = std::make_unique<HostChecker>(dispatcher, OpenSystemProbeChannels(port)); });
        return true;
    }
    void start(uint32_t address)
    {
        checker->start(address, discovery, stop.get_token(), [this, address](const THostCheckResult& result) {
            results[address] = result;
            ++deliveries[address];
        });
    }
    THostCheckResult check(const QString& address)
    {
        const uint32_t ip = Ip(address);
        start(ip);
        EXPECT_TRUE(dispatcher.pumpUntil([&] { return deliveries.count(ip) > 0; }, 60s));
        return results[ip];
    }

    PumpDispatcher dispatcher;
    std::unique_ptr<NetworkLab> lab;
    std::unique_ptr<NetBiosResponder> responder;
    std::unique_ptr<HostChecker> checker;
    std::map<uint32_t, THostCheckResult> results;
    std::map<uint32_t, int> deliveries;
};

TEST_F(HostCheckerNamespaceTest, ArpResolvesANeighbourButNotAnEmptyAddress)
{
    if (!makeLab({{"198.19.77.2"}}))
        GTEST_SKIP() << lab->failure().toStdString();
    discovery.Methods = TDiscoveryMethod::ARP;
    discovery.TimeOut = 2000;
    EXPECT_EQ(check("198.19.77.2").resultCode, 1);

    const Clock::time_point started = Clock::now();
    EXPECT_EQ(check("198.19.77.99").resultCode, 0);
    EXPECT_GE(Clock::now() - started, 2000ms); // a neighbour that may still answer is waited for

    // Not on the link (no route at all) and the scanner's own address: no neighbour
    // entry can ever appear, so there is nothing to wait for.
    discovery.TimeOut = 60000;
    const Clock::time_point offLink = Clock::now();
    EXPECT_EQ(check("10.78.0.2").resultCode, 0);
    EXPECT_EQ(check("198.19.77.1").resultCode, 0);
    EXPECT_LT(Clock::now() - offLink, 30s);
}

TEST_F(HostCheckerNamespaceTest, MethodsRunSideBySideAndShareOneTimeOut)
{
    // The host ignores ICMP echo and answers NetBIOS.
    if (!makeLab({{"198.19.77.2"}, true}, true))
        GTEST_SKIP() << lab->failure().toStdString();
    discovery.TimeOut = 2000;
    discovery.Methods = TDiscoveryMethod::ICMP | TDiscoveryMethod::NetBios; // ARP would answer first
    const Clock::time_point started = Clock::now();
    EXPECT_EQ(check("198.19.77.2").resultCode, 1);
    const std::vector<NetBiosResponder::Request> requests = responder->requests();
    ASSERT_GE(requests.size(), 1u);
    // NetBIOS was asked at once, not after the ICMP echo's time-out.
    EXPECT_LT(requests[0].received - started, 1000ms);

    // A silent address costs one time-out for both methods together, not two.
    discovery.TimeOut = 1000;
    const Clock::time_point silentStarted = Clock::now();
    EXPECT_EQ(check("198.19.77.50").resultCode, 0);
    EXPECT_GE(Clock::now() - silentStarted, 1000ms);
    EXPECT_LT(Clock::now() - silentStarted, 1800ms);
}

TEST_F(HostCheckerNamespaceTest, SweepFindsExactlyTheAnsweringAddresses)
{
    if (!makeLab({{"198.19.77.2", "198.19.77.30", "198.19.77.200"}}))
        GTEST_SKIP() << lab->failure().toStdString();
    if (!checker->available())
        GTEST_SKIP() << "no ICMP socket";
    discovery.TimeOut = 400;
    discovery.ResolveAddress = true; // no name server is reachable: names stay empty
    uint32_t first = 0;
    uint32_t last = 0;
    // The whole /24 including the network and broadcast ends (the broadcast send is refused).
    ASSERT_TRUE(ParseIPRange("198.19.77.0/24", first, last));
    for (uint32_t address : IPRangeAddresses(first, last))
        start(address);
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.size() == 256; }, 60s));
    std::set<QString> found;
    for (const auto& [address, result] : results) {
        EXPECT_EQ(deliveries[address], 1);
        if (result.resultCode == 1) {
            found.insert(IpToText(address));
            EXPECT_TRUE(result.hostName.isEmpty()) << IpToText(address).toStdString();
        } else {
            EXPECT_EQ(result.resultCode, 0);
        }
    }
    // 198.19.77.1 is the scanner's own address, which answers its own echo.
    EXPECT_EQ(found, (std::set<QString>{"198.19.77.1", "198.19.77.2", "198.19.77.30", "198.19.77.200"}));
}

TEST_F(HostCheckerNamespaceTest, UnprivilegedPingSocketIsPreferredAndMatchesRepliesBySequence)
{
    NetworkLab::Options options{{"198.19.77.2"}};
    options.scannerAllowsPingSockets = true;
    if (!makeLab(options))
        GTEST_SKIP() << lab->failure().toStdString();
    std::unique_ptr<IcmpEchoChannel> channel;
    lab->runInScanner([&] { channel = std::make_unique<IcmpEchoChannel>(); });
    ASSERT_TRUE(channel->usable());
    EXPECT_FALSE(channel->usesRawSocket());
    channel.reset();

    discovery.Methods = TDiscoveryMethod::ICMP;
    discovery.TimeOut = 500;
    // The checker of this lab was opened with the ping socket as well.
    for (int round = 0; round < 3; ++round)
        start(Ip("198.19.77.2"));
    start(Ip("198.19.77.99"));
    ASSERT_TRUE(dispatcher.pumpUntil(
        [&] { return deliveries.size() == 2 && deliveries[Ip("198.19.77.2")] == 3; }, 60s));
    EXPECT_EQ(results[Ip("198.19.77.2")].resultCode, 1);
    EXPECT_EQ(results[Ip("198.19.77.99")].resultCode, 0);
}

TEST_F(HostCheckerNamespaceTest, EchoRequestOnTheWireHasTheFixedDataAndTimeToLive64)
{
    NetworkLab::Options options{{"198.19.77.2"}};
    options.scannerDefaultTtl = 99; // so that 64 can only come from the checker
    if (!makeLab(options))
        GTEST_SKIP() << lab->failure().toStdString();
    if (!checker->available())
        GTEST_SKIP() << "no ICMP socket";
    // A raw socket on the host's side sees every ICMP message arriving there.
    int capture = -1;
    lab->runInHosts([&] { capture = socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP); });
    ASSERT_GE(capture, 0);
    discovery.Methods = TDiscoveryMethod::ICMP;
    EXPECT_EQ(check("198.19.77.2").resultCode, 1);

    int requests = 0;
    unsigned char packet[1500];
    ssize_t length;
    while ((length = recv(capture, packet, sizeof packet, MSG_DONTWAIT)) > 0) {
        const size_t header = size_t{packet[0] & 0x0Fu} * 4;
        if (static_cast<size_t>(length) < header + 8 || packet[header] != 8) // echo requests only
            continue;
        ++requests;
        EXPECT_EQ(packet[8], 64); // time to live
        EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(packet + header + 8),
                             static_cast<qsizetype>(static_cast<size_t>(length) - header - 8)),
                  QByteArray("abcdefghijklmnopqrstuvwabcdefghi"));
    }
    close(capture);
    EXPECT_EQ(requests, 1);
}

TEST_F(HostCheckerNamespaceTest, StopDuringManyOutstandingChecksEndsThemPromptly)
{
    if (!makeLab({{"198.19.77.2"}}))
        GTEST_SKIP() << lab->failure().toStdString();
    discovery.TimeOut = 30000;
    for (int host = 3; host <= 252; ++host)
        start(Ip(QStringLiteral("198.19.77.%1").arg(host)));
    ASSERT_EQ(checker->outstanding(), 250);
    dispatcher.pumpFor(300ms);
    EXPECT_TRUE(deliveries.empty());
    const Clock::time_point stopped = Clock::now();
    stop.request_stop();
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return deliveries.size() == 250; }, 60s));
    // Long before the first time-out of 30 s could have ended any of them.
    EXPECT_LT(Clock::now() - stopped, 10s);
    dispatcher.pumpFor(100ms);
    for (const auto& [address, count] : deliveries) {
        EXPECT_EQ(count, 1);
        EXPECT_EQ(results[address].resultCode, 0);
    }
    EXPECT_EQ(checker->outstanding(), 0);
}

} // namespace
