#include "platform/WsDiscoveryNaming.h"

#include "support/QStringPrinter.h"
#include "support/SilentTcpServer.h"

#include <atomic>
#include <gtest/gtest.h>

// The naming of WS-Discovery responders against metadata servers at loopback
// addresses (127.0.2.6x): one that accepts and never answers, and a closed port.
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

Wsd::Endpoint EndpointAt(const QString& address, const QString& xaddr)
{
    Wsd::Endpoint endpoint;
    endpoint.address = address;
    endpoint.xaddrs = QStringList{xaddr};
    return endpoint;
}

TEST(WsDiscoveryNamingTest, AnUnansweredGetIsCutAtTheWindowEndAndFallsBackLate)
{
    SilentTcpServer silent(QStringLiteral("127.0.2.61"), 5357);
    if (!silent.ok())
        GTEST_SKIP() << "cannot listen: " << silent.error().toStdString();
    std::atomic<int> fallbacks = 0;
    std::atomic<Clock::rep> fallbackDeadline = 0;
    const Clock::time_point windowEnd = Clock::now() + 300ms;
    WsDiscoveryNaming naming(5s, 16,
                             [&](TDiscoveredHost& host, Clock::time_point deadline, const std::stop_token&) {
                                 ++fallbacks;
                                 fallbackDeadline = deadline.time_since_epoch().count();
                                 host.name = QStringLiteral("FROM-FALLBACK");
                                 host.workgroup = QStringLiteral("FALLBACKGROUP");
                             },
                             windowEnd, {});
    naming.start(EndpointAt(QStringLiteral("urn:uuid:silent"), QStringLiteral("http://127.0.2.61:5357/x")),
                 QStringLiteral("127.0.2.61"));
    naming.start(EndpointAt(QStringLiteral("urn:uuid:silent"), QStringLiteral("http://127.0.2.61:5357/x")),
                 QStringLiteral("127.0.2.61"));
    EXPECT_TRUE(naming.started(QStringLiteral("urn:uuid:silent")));
    EXPECT_FALSE(naming.started(QStringLiteral("urn:uuid:other")));
    const std::map<QString, TDiscoveredHost> named = naming.finish();
    // The 5 s metadata time-out does not count: the window's end does.
    EXPECT_LT(Clock::now() - windowEnd, 1s); // far from the 5 s, room for a loaded machine
    EXPECT_EQ(fallbacks, 1) << "one naming per endpoint";
    EXPECT_GE(Clock::time_point(Clock::duration(fallbackDeadline.load())),
              windowEnd + WsDiscoveryNaming::kLateNaming);
    ASSERT_EQ(named.size(), 1u);
    const TDiscoveredHost& host = named.at(QStringLiteral("urn:uuid:silent"));
    EXPECT_EQ(host.name, QStringLiteral("FROM-FALLBACK"));
    EXPECT_EQ(host.workgroup, QStringLiteral("FALLBACKGROUP"));
    EXPECT_EQ(host.address, QStringLiteral("127.0.2.61"));
}

TEST(WsDiscoveryNamingTest, ManyRespondersAreNamedSideBySideWithinTheWindow)
{
    // Closed ports refuse at once: each naming reaches the fallback at once, on
    // at most two threads, long before the window ends.
    std::atomic<int> running = 0;
    std::atomic<int> mostAtOnce = 0;
    const Clock::time_point windowEnd = Clock::now() + 2s;
    WsDiscoveryNaming naming(5s, 2,
                             [&](TDiscoveredHost& host, Clock::time_point, const std::stop_token&) {
                                 const int now = ++running;
                                 int seen = mostAtOnce;
                                 while (now > seen && !mostAtOnce.compare_exchange_weak(seen, now)) {
                                 }
                                 std::this_thread::sleep_for(30ms);
                                 host.name = host.address;
                                 --running;
                             },
                             windowEnd, {});
    for (int i = 0; i < 8; ++i) {
        const QString address = QStringLiteral("127.0.2.%1").arg(70 + i);
        naming.start(
            EndpointAt(QStringLiteral("urn:uuid:%1").arg(i), QStringLiteral("http://%1:9/x").arg(address)),
            address);
    }
    const std::map<QString, TDiscoveredHost> named = naming.finish();
    EXPECT_LT(Clock::now(), windowEnd - 1s);
    EXPECT_EQ(mostAtOnce, 2);
    ASSERT_EQ(named.size(), 8u);
    EXPECT_EQ(named.at(QStringLiteral("urn:uuid:3")).name, QStringLiteral("127.0.2.73"));
}

TEST(WsDiscoveryNamingTest, AStopEndsTheNamingsAtOnce)
{
    SilentTcpServer silent(QStringLiteral("127.0.2.62"), 5357);
    if (!silent.ok())
        GTEST_SKIP() << "cannot listen: " << silent.error().toStdString();
    std::stop_source stop;
    WsDiscoveryNaming naming(5s, 4, {}, Clock::now() + 10s, stop.get_token());
    naming.start(EndpointAt(QStringLiteral("urn:uuid:a"), QStringLiteral("http://127.0.2.62:5357/x")),
                 QStringLiteral("127.0.2.62"));
    std::jthread stopper([&] {
        std::this_thread::sleep_for(100ms);
        stop.request_stop();
    });
    const Clock::time_point started = Clock::now();
    const std::map<QString, TDiscoveredHost> named = naming.finish();
    EXPECT_LT(Clock::now() - started, 2s); // the 5 s time-out was not waited for
    ASSERT_EQ(named.size(), 1u);
    EXPECT_TRUE(named.begin()->second.name.isEmpty());
}

} // namespace
