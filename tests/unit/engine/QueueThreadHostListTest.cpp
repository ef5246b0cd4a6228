#include "engine/HeadlessSearch.h"
#include "engine/QueueThread.h"
#include "engine/ports/HostDiscovery.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeNetworkBrowser.h"
#include "support/engine/GatedWorker.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>

namespace {

// Multicast discovery without a network: hands out the hosts set, after the
// window's wait unless the search stops; counts its calls.
class FakeHostDiscovery : public HostDiscovery {
public:
    std::vector<TFoundHost> hosts;
    std::atomic<int> calls{0};
    std::chrono::milliseconds lastWindow{0};
    bool lastFtp = false;

    std::vector<TFoundHost> discover(std::chrono::milliseconds window, bool ftp,
                                     std::stop_token stop) override
    {
        ++calls;
        lastWindow = window;
        lastFtp = ftp;
        const auto until = std::chrono::steady_clock::now() + std::min(window, std::chrono::milliseconds(50));
        while (std::chrono::steady_clock::now() < until && !stop.stop_requested())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return hosts;
    }
};

TFoundHost Host(const QString& address, const QString& name, const QString& group, THostSource source)
{
    return {address, name, group, static_cast<uint8_t>(source)};
}

class QueueThreadHostListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        browser.add("", FakeNetworkBrowser::Domain("WORKGROUP"));
        browser.add("WORKGROUP", FakeNetworkBrowser::Server("\\\\ALPHA"));
        browser.add("WORKGROUP", FakeNetworkBrowser::Server("\\\\BETA"));
        // ALPHA answers WS-Discovery too; kmdns1 both WS-Discovery and DNS-SD.
        discovery.hosts = {
            Host("10.0.0.1", "alpha", "WORKGROUP", THostSource::WsDiscovery),
            Host("10.0.0.3", "kmdns1", "", THostSource::DnsSd),
            Host("10.0.0.3", "KMDNS1", "LAB", THostSource::WsDiscovery),
            Host("10.0.0.4", "KWSD1", "LAB", THostSource::WsDiscovery),
        };
    }

    THeadlessSearchResult Run()
    {
        TSearchServices services;
        services.Browser = &browser;
        services.Discovery = &discovery;
        THeadlessSearch search(dispatcher, services);
        search.CreateWorker = gate.factory();
        search.EchoErrors = false;
        search.Discovery = options;
        return search.Run(config, root);
    }

    std::vector<QString> Started()
    {
        auto started = gate.started();
        std::sort(started.begin(), started.end());
        return started;
    }

    static bool Logged(const THeadlessSearchResult& result, const TSearchLogEntry& entry)
    {
        return std::find(result.Log.begin(), result.Log.end(), entry) != result.Log.end();
    }

    PumpDispatcher dispatcher;
    FakeNetworkBrowser browser;
    FakeHostDiscovery discovery;
    WorkerGate gate{true};
    TThreadConfig config;
    TScopeRoot root;
    TDiscoveryOptions options;
};

TEST_F(QueueThreadHostListTest, EntireNetworkSearchesTheUnionEachComputerOnce)
{
    const auto result = Run();
    EXPECT_EQ(Started(), std::vector<QString>({"\\\\10.0.0.3", "\\\\10.0.0.4", "\\\\ALPHA", "\\\\BETA"}));
    EXPECT_TRUE(
        Logged(result, {TSearchLogKind::Info, "Computers found: NetBIOS browse list 2, WS-Discovery 3, "
                                              "DNS-SD 1 (4 computers in all)."}));
    EXPECT_TRUE(
        Logged(result, {TSearchLogKind::Scope, "Computer kmdns1 (10.0.0.3) found by WS-Discovery, DNS-SD."}));
    EXPECT_EQ(discovery.lastWindow, std::chrono::milliseconds(1500));
    EXPECT_FALSE(discovery.lastFtp);
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
}

TEST_F(QueueThreadHostListTest, AFailedNetBiosBrowseKeepsItsMessageAndTheSearchGoesOn)
{
    browser.failOpen("", 1222, "The network is not present or not started.");
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    const auto result = Run();
    EXPECT_TRUE(
        Logged(result, {TSearchLogKind::Error, "Cannot open root network resource: The network is not "
                                               "present or not started. (1222)"}));
    EXPECT_TRUE(
        Logged(result, {TSearchLogKind::Info, "The NetBIOS browse list could not be read; the search goes "
                                              "on with the 3 computers found by WS-Discovery, DNS-SD."}));
    EXPECT_EQ(Started(), std::vector<QString>({"\\\\10.0.0.1", "\\\\10.0.0.3", "\\\\10.0.0.4"}));
    EXPECT_TRUE(discovery.lastFtp);
}

TEST_F(QueueThreadHostListTest, MasksMatchTheNamesDiscoveryTold)
{
    config.SearchMethod = TSearchType::ExcludedComputers;
    config.ResList = "\\\\KMDNS*,\\\\BETA";
    auto result = Run();
    EXPECT_EQ(Started(), std::vector<QString>({"\\\\10.0.0.4", "\\\\ALPHA"}));
    EXPECT_TRUE(Logged(result, {TSearchLogKind::Info, "Computer \\\\10.0.0.3 skipped"}));

    WorkerGate only{true};
    config.SearchMethod = TSearchType::SpecifiedComputers;
    config.ResList = "\\\\K*";
    TSearchServices services;
    services.Browser = &browser;
    services.Discovery = &discovery;
    THeadlessSearch search(dispatcher, services);
    search.CreateWorker = only.factory();
    search.EchoErrors = false;
    search.Run(config, root);
    auto started = only.started();
    std::sort(started.begin(), started.end());
    EXPECT_EQ(started, std::vector<QString>({"\\\\10.0.0.3", "\\\\10.0.0.4"}));
}

TEST_F(QueueThreadHostListTest, AGroupRootTakesOnlyItsComputersAndADiscoveredGroupIsNotBrowsed)
{
    root.Assigned = true;
    root.Resource = FakeNetworkBrowser::Domain("LAB");
    root.Resource.Provider = kDiscoveryProvider;
    Run();
    EXPECT_EQ(Started(), std::vector<QString>({"\\\\10.0.0.3", "\\\\10.0.0.4"}));
    EXPECT_TRUE(browser.openedContainers().empty());
}

TEST_F(QueueThreadHostListTest, AComputerRootIsSearchedItself)
{
    root.Assigned = true;
    root.Resource = FakeNetworkBrowser::Server("\\\\10.0.0.4");
    Run();
    EXPECT_EQ(Started(), std::vector<QString>({"\\\\10.0.0.4"}));
    EXPECT_EQ(discovery.calls.load(), 0);
}

TEST_F(QueueThreadHostListTest, AWindowOfZeroTurnsMulticastDiscoveryOff)
{
    options.DiscoveryWindow = 0;
    const auto result = Run();
    EXPECT_EQ(discovery.calls.load(), 0);
    EXPECT_EQ(Started(), std::vector<QString>({"\\\\ALPHA", "\\\\BETA"}));
}

} // namespace
