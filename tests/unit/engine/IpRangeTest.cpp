#include "engine/IpRange.h"

#include "engine/SearchLog.h"
#include "model/IpAddress.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <vector>

namespace {

uint32_t Ip(const char* text)
{
    return TextToIp(QString::fromLatin1(text));
}

std::vector<QString> Visit(uint32_t first, uint32_t last)
{
    std::vector<QString> texts;
    for (uint32_t address : IPRangeAddresses(first, last))
        texts.push_back(IpToText(address));
    return texts;
}

class IpRangeTest : public ::testing::Test {
protected:
    void SetUp() override { searchLog.ClearEntries(); }
    TEngineSearchLog searchLog;

    // Parses text and returns the one log line it must have written.
    TSearchLogEntry ParseLogged(const QString& text, bool expectValid)
    {
        first = 1;
        last = 1;
        EXPECT_EQ(ParseIPRange(text, first, last, &searchLog), expectValid) << text.toStdString();
        const std::vector<TSearchLogEntry> log = searchLog.Snapshot();
        EXPECT_EQ(log.size(), 1u) << text.toStdString();
        searchLog.ClearEntries();
        return log.empty() ? TSearchLogEntry{} : log.back();
    }

    uint32_t first = 0;
    uint32_t last = 0;
};

TEST_F(IpRangeTest, ValidRangeLogsCountAndEntryAndVisitsEveryAddress)
{
    const TSearchLogEntry line = ParseLogged("192.168.1.1-192.168.1.10", true);
    EXPECT_EQ(line.Kind, TSearchLogKind::Scope);
    EXPECT_EQ(line.Text, "IP Range of 10 addresses is valid (192.168.1.1-192.168.1.10)");
    EXPECT_EQ(first, Ip("192.168.1.1"));
    EXPECT_EQ(last, Ip("192.168.1.10"));
    const std::vector<QString> visited = Visit(first, last);
    ASSERT_EQ(visited.size(), 10u);
    EXPECT_EQ(visited.front(), "192.168.1.1");
    EXPECT_EQ(visited[4], "192.168.1.5");
    EXPECT_EQ(visited.back(), "192.168.1.10");
}

TEST_F(IpRangeTest, BlanksAroundTheHyphenAreIgnoredButTheLogKeepsTheEntryAsWritten)
{
    const TSearchLogEntry line = ParseLogged(" 192.168.1.1 - 192.168.1.10\t", true);
    EXPECT_EQ(line.Text, "IP Range of 10 addresses is valid ( 192.168.1.1 - 192.168.1.10\t)");
    EXPECT_EQ(first, Ip("192.168.1.1"));
    EXPECT_EQ(last, Ip("192.168.1.10"));
}

TEST_F(IpRangeTest, InvalidEntriesLogAnErrorLineAndReturnTheParsedEnds)
{
    struct Case {
        const char* text;
        const char* first;
        const char* last;
    };
    const Case cases[] = {
        {"192.168.1.10-192.168.1.1", "192.168.1.10", "192.168.1.1"}, // reversed
        {"192.168.1.5-192.168.1.5", "192.168.1.5", "192.168.1.5"},   // equal ends
        {"192.168.1.5", "255.255.255.255", "192.168.1.5"},           // no hyphen: first is empty
        {"0.0.0.0-10.0.0.5", "0.0.0.0", "10.0.0.5"},
        {"10.0.0.5-255.255.255.255", "10.0.0.5", "255.255.255.255"},
        {"server01", "255.255.255.255", "255.255.255.255"}, // a computer name left in the list
        {"10.0.0.1-", "10.0.0.1", "255.255.255.255"},
        {"10.0.0.1-10.0.0.9-10.0.0.20", "10.0.0.1", "255.255.255.255"}, // split at the first hyphen
        {"", "255.255.255.255", "255.255.255.255"},
    };
    for (const Case& c : cases) {
        const QString text = QString::fromLatin1(c.text);
        const TSearchLogEntry line = ParseLogged(text, false);
        EXPECT_EQ(line.Kind, TSearchLogKind::Error) << c.text;
        EXPECT_EQ(line.Text, "IP Range is invalid (" + text + ")");
        EXPECT_EQ(IpToText(first), c.first) << c.text;
        EXPECT_EQ(IpToText(last), c.last) << c.text;
    }
}

TEST_F(IpRangeTest, EntryTextIsNeverTreatedAsAFormat)
{
    EXPECT_EQ(ParseLogged("%1 %d %s-x", false).Text, "IP Range is invalid (%1 %d %s-x)");
    // A valid entry cannot hold '%', but the count placeholder must not leak either.
    EXPECT_EQ(ParseLogged("10.0.0.1 -10.0.0.2", true).Text,
              "IP Range of 2 addresses is valid (10.0.0.1 -10.0.0.2)");
}

TEST_F(IpRangeTest, AddressesFollowInetAddrRules)
{
    // Shortened and hexadecimal forms are addresses as well.
    ParseLogged("10.1 - 0x0a.0.0.3", true);
    EXPECT_EQ(IpToText(first), "10.0.0.1");
    EXPECT_EQ(IpToText(last), "10.0.0.3");
}

TEST_F(IpRangeTest, VisitingCountsInHostOrderAcrossOctetBoundaries)
{
    ParseLogged("10.0.0.250-10.0.1.5", true);
    const std::vector<QString> visited = Visit(first, last);
    const std::vector<QString> expected = {"10.0.0.250", "10.0.0.251", "10.0.0.252", "10.0.0.253",
                                           "10.0.0.254", "10.0.0.255", "10.0.1.0",   "10.0.1.1",
                                           "10.0.1.2",   "10.0.1.3",   "10.0.1.4",   "10.0.1.5"};
    EXPECT_EQ(visited, expected);
}

TEST_F(IpRangeTest, HugeRangesCountBeyondSignedThirtyTwoBits)
{
    const TSearchLogEntry line = ParseLogged("1.0.0.0-255.255.255.254", true);
    EXPECT_EQ(line.Text, "IP Range of 4278190079 addresses is valid (1.0.0.0-255.255.255.254)");
    EXPECT_EQ(IPRangeCount(first, last), 4278190079u);
}

TEST_F(IpRangeTest, VisitingTheTopOfTheAddressSpaceTerminates)
{
    const std::vector<QString> visited = Visit(Ip("255.255.255.253"), kInaddrNone);
    EXPECT_EQ(visited, (std::vector<QString>{"255.255.255.253", "255.255.255.254", "255.255.255.255"}));
    EXPECT_EQ(IPRangeAddresses(0, kInaddrNone).size(), uint64_t{1} << 32);
    EXPECT_TRUE(Visit(Ip("10.0.0.2"), Ip("10.0.0.1")).empty());
}

TEST_F(IpRangeTest, CidrCoversTheSameAddressesAsNetworkToBroadcast)
{
    TSearchLogEntry line = ParseLogged("192.168.1.0/24", true);
    EXPECT_EQ(line.Kind, TSearchLogKind::Scope);
    EXPECT_EQ(line.Text, "IP Range of 256 addresses is valid (192.168.1.0/24)");
    EXPECT_EQ(IpToText(first), "192.168.1.0");
    EXPECT_EQ(IpToText(last), "192.168.1.255");

    // Host bits are ignored, blanks around either part too.
    line = ParseLogged(" 10.1.2.77 / 22 ", true);
    EXPECT_EQ(line.Text, "IP Range of 1024 addresses is valid ( 10.1.2.77 / 22 )");
    EXPECT_EQ(IpToText(first), "10.1.0.0");
    EXPECT_EQ(IpToText(last), "10.1.3.255");

    ParseLogged("10.0.0.6/31", true);
    EXPECT_EQ(Visit(first, last), (std::vector<QString>{"10.0.0.6", "10.0.0.7"}));

    ParseLogged("10.0.0.0/8", true);
    EXPECT_EQ(IPRangeCount(first, last), 16777216u);
}

TEST_F(IpRangeTest, CidrFollowsTheRangeValidityRules)
{
    // A single address is not a range, in either notation.
    ParseLogged("10.0.0.7/32", false);
    EXPECT_EQ(IpToText(first), "10.0.0.7");
    EXPECT_EQ(IpToText(last), "10.0.0.7");
    // Blocks touching 0.0.0.0 or 255.255.255.255.
    ParseLogged("0.0.0.0/0", false);
    ParseLogged("0.1.2.3/8", false);
    ParseLogged("255.255.255.0/24", false);
    EXPECT_EQ(IpToText(first), "255.255.255.0");
    EXPECT_EQ(IpToText(last), "255.255.255.255");
}

TEST_F(IpRangeTest, MalformedCidrIsAnInvalidEntry)
{
    for (const char* text : {"10.0.0.0/33", "10.0.0.0/", "/24", "10.0.0.0/2x", "10.0.0.0/-1", "10.0.0.0/024",
                             "host/24", "10.0.0.0/24/8"}) {
        const TSearchLogEntry line = ParseLogged(QString::fromLatin1(text), false);
        EXPECT_EQ(line.Kind, TSearchLogKind::Error) << text;
        EXPECT_EQ(line.Text, QStringLiteral("IP Range is invalid (%1)").arg(QString::fromLatin1(text)));
    }
}

TEST_F(IpRangeTest, ListWithOneInvalidAndOneValidEntryLogsBoth)
{
    const QStringList entries = {"192.168.1.10-192.168.1.1", "192.168.1.1-192.168.1.3"};
    std::vector<QString> visited;
    for (const QString& entry : entries) {
        if (!ParseIPRange(entry, first, last, &searchLog))
            continue;
        for (uint32_t address : IPRangeAddresses(first, last))
            visited.push_back(IpToText(address));
    }
    const std::vector<TSearchLogEntry> log = searchLog.Snapshot();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Kind, TSearchLogKind::Error);
    EXPECT_EQ(log[1].Kind, TSearchLogKind::Scope);
    EXPECT_EQ(visited, (std::vector<QString>{"192.168.1.1", "192.168.1.2", "192.168.1.3"}));
}

} // namespace
