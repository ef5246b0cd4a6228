#include "engine/HostProgress.h"
#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/engine/LiveSearch.h"

#include <gtest/gtest.h>

// The per-host progress of real searches of the Samba test hosts: each share's
// access as far as the logon reached (READ/WRITE only where the server granted
// writing) and the comment of the host's share list.
namespace {

using SmbFixture::hostUnc;

class ShareRightsSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.FileMasks = "no-such-name.none";
    }
    void TearDown() override { SmbAgentProcess::setAgentCommand({}); }

    // "share|access|comment" for every share of the host's line.
    std::vector<QString> Shares(const QString& host)
    {
        LiveSearch search;
        search.accounts = accounts;
        config.ResList = host;
        const THeadlessSearchResult result = search.run(config);
        EXPECT_TRUE(result.Errors.empty());
        std::vector<QString> shares;
        for (const THostProgressLine& line : search.hostLines) {
            EXPECT_EQ(line.Host, host);
            for (const TShareSummary& share : line.Shares)
                shares.push_back(QStringList({share.Name, share.Access, share.Comment}).join(u'|'));
        }
        return shares;
    }

    TThreadConfig config;
    std::vector<TUnicodeAccount> accounts;
};

TEST_F(ShareRightsSearchTest, AGuestSeesTheWritableShareAsReadWriteWithItsComment)
{
    EXPECT_EQ(Shares(hostUnc(5)), std::vector<QString>({"team|NO ACCESS|", "pub|READ/WRITE|Guest drop box"}));
}

TEST_F(ShareRightsSearchTest, AReadOnlyShareIsReadWhateverItsFoldersUnixMode)
{
    EXPECT_EQ(Shares(hostUnc(3)), std::vector<QString>({"docs|READ|"}));
    EXPECT_EQ(Shares(hostUnc(2)),
              std::vector<QString>({"public|READ|Guest files", "alice|NO ACCESS|", "bob|NO ACCESS|"}));
}

} // namespace
