#include "platform/SmbShareClient.h"
#include "support/QStringPrinter.h"
#include "support/ShareClientCalls.h"
#include "support/SmbFixture.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace SmbFixture;

// What the SMB share client tells of a share beyond its files: the comment of the
// host's share list and whether the logon may write there, against the Samba test
// hosts: pub of host 5 is writable for guests, docs of host 3 is read only although
// its folder's Unix mode lets everyone write, public of host 2 is read only for
// guests; alice may write there (write list, admin user) although the folder's ACL
// lets only root write, which the check cannot see: it says no.
namespace {

class SmbShareRightsTest : public ::testing::Test {
protected:
    void SetUp() override { KESTROVA_REQUIRE_SMB_FIXTURE(); }

    static QString share(int host, const QString& name) { return hostUnc(host) + u'\\' + name; }

    // The write check's answer; a failed check fails the test.
    bool writable(const QString& sharePath)
    {
        const Result<bool> answer = client.writeAccess(sharePath);
        EXPECT_TRUE(answer.ok()) << sharePath.toStdString() << ": " << answer.error().message.toStdString();
        return answer.ok() && answer.value();
    }

    QHash<QString, QString> comments(int host)
    {
        std::vector<ShareInfo> shares;
        const PlatformError error = ListShares(client, hostUnc(host), shares);
        EXPECT_FALSE(error.failed()) << error.message.toStdString();
        QHash<QString, QString> byName;
        for (const ShareInfo& listed : shares)
            byName.insert(listed.name, listed.comment);
        return byName;
    }

    SmbShareClient client;
};

TEST_F(SmbShareRightsTest, ListedSharesCarryTheCommentsOfTheServersShareList)
{
    const QHash<QString, QString> main = comments(2);
    EXPECT_EQ(main.value("public"), "Guest files");
    ASSERT_TRUE(main.contains("hidden$"));
    EXPECT_EQ(main.value("hidden$"), "");
    EXPECT_EQ(comments(5).value("pub"), "Guest drop box");
}

TEST_F(SmbShareRightsTest, AGuestMayWriteOnlyWhereTheShareAndTheFolderBothAllowIt)
{
    EXPECT_TRUE(writable(share(5, "pub")));
    // Mode 0777 on the folder, "read only = yes" on the share: the share decides.
    EXPECT_FALSE(writable(share(3, "docs")));
    EXPECT_FALSE(writable(share(2, "public")));
}

TEST_F(SmbShareRightsTest, AWriteListWithoutAnAclEntryForEveryoneIsNoEvidence)
{
    ASSERT_TRUE(client.connect(share(2, "public"), alice().name, alice().password).ok());
    EXPECT_FALSE(writable(share(2, "public")));
    // Her own share is read only for her too.
    ASSERT_TRUE(client.connect(share(2, "alice"), alice().name, alice().password).ok());
    EXPECT_FALSE(writable(share(2, "alice")));
}

TEST_F(SmbShareRightsTest, TheCheckChangesNothingOnTheShare)
{
    const QString folder = shareDir(5, "pub");
    const QStringList before = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    const QDateTime modified = QFileInfo(folder).lastModified();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(writable(share(5, "pub")));
    EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), before);
    EXPECT_EQ(QFileInfo(folder).lastModified(), modified);
}

} // namespace
