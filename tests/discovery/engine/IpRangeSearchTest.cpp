#include "engine/SearchSignal.h"
#include "model/DelimitedText.h"
#include "model/DiscoverySettings.h"
#include "support/NetBiosResponder.h"
#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/engine/LiveSearch.h"

#include <gtest/gtest.h>

// Whole IP-range searches: the host checker probes the addresses of the test
// network (<net>.1 to <net>.6, all loopback: each answers ICMP echo, only .2 to .5
// serve SMB), the reachable ones are searched by the engine's workers.
namespace {

using SmbFixture::address;
using SmbFixture::hostUnc;

class IpRangeSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        LiveSearchDiscovery.TimeOut = 1000;
        LiveSearchDiscovery.MaxThreads = 10;
        LiveSearchDiscovery.ResolveAddress = false;
        LiveSearchDiscovery.Method = TDiscoveryMethods(TDiscoveryMethod::ICMP).Bits();
        config.SearchMethod = TSearchType::IpAddressRange;
        config.FileMasks = "*.doc";
        config.ResList = address(1) + "-" + address(6);
    }

    void TearDown() override { SmbAgentProcess::setAgentCommand({}); }

    // False (and a message) when this process may not send ICMP echo.
    static bool CanProbe(const LiveSearch& search)
    {
        if (search.hostChecker->available())
            return true;
        std::cout << "[  SKIPPED ] no ICMP socket: needs root, CAP_NET_RAW or net.ipv4.ping_group_range\n";
        return false;
    }

    static QStringList Addresses(int first, int last)
    {
        QStringList addresses;
        for (int host = first; host <= last; ++host)
            addresses.append(address(host));
        return addresses;
    }

    static QStringList Started(const LiveSearch& search)
    {
        QStringList started;
        for (const RecordingHostChecker::Start& start : search.hostChecks->starts())
            started.append(start.address);
        return started;
    }

    static QStringList Enqueued(const THeadlessSearchResult& result)
    {
        QStringList names = LogLinesStartingWith(result, "Computer ");
        names.sort();
        return names;
    }

    DiscoverySettingsGuard savedSettings;
    TThreadConfig config;
};

TEST_F(IpRangeSearchTest, EchoSweepQueuesEveryAddressAndSearchesTheSmbHosts)
{
    LiveSearch search;
    if (!CanProbe(search))
        GTEST_SKIP() << "no ICMP socket";
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(LogTexts(result).front(),
              "Search started in mode 'IP Address Range' with root '" + config.ResList + "'.");
    EXPECT_GE(LogIndex(result, "IP Range of 6 addresses is valid (" + config.ResList + ")"), 0);
    EXPECT_EQ(Started(search), Addresses(1, 6));
    QStringList expected;
    for (int host = 1; host <= 6; ++host)
        expected.append("Computer " + hostUnc(host) + " enqueued.");
    EXPECT_EQ(Enqueued(result), expected);
    // Every address was searched: the SMB hosts list their shares, the others have none.
    EXPECT_EQ(search.shareClients.created(), 6);
    EXPECT_GE(LogIndex(result, "No folders found on " + hostUnc(1)), 0);
    EXPECT_GE(LogIndex(result, "No folders found on " + hostUnc(6)), 0);
    EXPECT_GE(LogIndex(result, "Found 1 folders on " + hostUnc(3) + ": docs"), 0);
    QStringList found = ItemNames(result);
    found.sort();
    EXPECT_EQ(found, QStringList({hostUnc(2) + "\\public\\docs\\report.doc",
                                  hostUnc(3) + "\\docs\\letters\\letter.doc"}));
    EXPECT_EQ(LogTexts(result).back(), "Search finished.");
    EXPECT_TRUE(result.Errors.empty());
}

TEST_F(IpRangeSearchTest, AnInvalidRangeIsLoggedAndOnlyTheValidOneIsScanned)
{
    LiveSearch search;
    if (!CanProbe(search))
        GTEST_SKIP() << "no ICMP socket";
    const QString reversed = address(5) + "-" + address(2);
    const QString valid = address(2) + " - " + address(3);
    // As the program hands the list over: comma text, the blanks quoted.
    config.ResList = JoinCommaText({reversed, valid});
    const THeadlessSearchResult result = search.run(config);

    const int invalidLine = LogIndex(result, "IP Range is invalid (" + reversed + ")");
    const int validLine = LogIndex(result, "IP Range of 2 addresses is valid (" + valid + ")");
    EXPECT_GT(invalidLine, 0);
    EXPECT_GT(validLine, invalidLine);
    EXPECT_EQ(result.Log[invalidLine].Kind, TSearchLogKind::Error);
    EXPECT_EQ(result.Log[validLine].Kind, TSearchLogKind::Scope);
    EXPECT_EQ(Started(search), Addresses(2, 3));
    EXPECT_EQ(search.shareClients.created(), 2);
    EXPECT_EQ(result.Items.size(), 2);
}

TEST_F(IpRangeSearchTest, StopInTheSweepStartsNoFurtherCheckAndStillEnds)
{
    LiveSearch search;
    if (!CanProbe(search))
        GTEST_SKIP() << "no ICMP socket";
    LiveSearchDiscovery.MaxThreads = 1;
    // The stop comes while the third address is being handed to the checker.
    search.hostChecks->beforeStart = [&search](int index) {
        if (index == 2)
            search.requestStop();
    };
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(Started(search), Addresses(1, 3));
    for (const RecordingHostChecker::Start& start : search.hostChecks->starts())
        EXPECT_FALSE(start.afterStop) << start.address.toStdString();
    // The check under way when the stop came reported back, but was not queued.
    EXPECT_EQ(search.hostChecks->results().size(), 3u);
    EXPECT_EQ(LogIndex(result, "Computer " + hostUnc(3) + " enqueued."), -1);
    // The end marker still came: the search ended the usual way.
    EXPECT_GT(LogIndex(result, "Finishing search..."), 0);
    EXPECT_EQ(LogTexts(result).back(), "Search finished.");

    // The same services serve the next search in full, as in the program.
    search.hostChecks->beforeStart = nullptr;
    const THeadlessSearchResult again = search.run(config);
    EXPECT_EQ(Started(search).mid(3), Addresses(1, 6));
    EXPECT_EQ(Enqueued(again).size(), 6);
    EXPECT_EQ(again.Items.size(), 2);
}

TEST_F(IpRangeSearchTest, NoProbeMethodFindsNothing)
{
    LiveSearch search;
    if (!CanProbe(search))
        GTEST_SKIP() << "no ICMP socket";
    LiveSearchDiscovery.Method = 0;
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(Started(search), Addresses(1, 6));
    for (const auto& [checked, code] : search.hostChecks->results())
        EXPECT_EQ(code, 0) << checked.toStdString();
    EXPECT_EQ(search.hostChecks->results().size(), 6u);
    EXPECT_TRUE(Enqueued(result).isEmpty());
    EXPECT_EQ(search.shareClients.created(), 0);
    EXPECT_TRUE(result.Items.isEmpty());
    EXPECT_EQ(LogTexts(result).back(), "Search finished.");
}

TEST_F(IpRangeSearchTest, NetBiosAloneFindsTheHostThatAnswersIt)
{
    // Host 3 answers node status on a port of its own; the other addresses have
    // nothing there (port unreachable) and ICMP is not asked.
    NetBiosResponder responder(address(3));
    LiveSearch search(responder.port());
    if (!CanProbe(search))
        GTEST_SKIP() << "no ICMP socket";
    LiveSearchDiscovery.Method = TDiscoveryMethods(TDiscoveryMethod::NetBios).Bits();
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(Started(search), Addresses(1, 6));
    EXPECT_EQ(responder.requests().size(), 1u);
    EXPECT_EQ(Enqueued(result), QStringList({"Computer " + hostUnc(3) + " enqueued."}));
    EXPECT_EQ(ItemNames(result), QStringList({hostUnc(3) + "\\docs\\letters\\letter.doc"}));
    EXPECT_EQ(search.shareClients.created(), 1);
}

} // namespace
