#include "model/ItemUrl.h"

#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

TItemRecord Hit(const QString& name)
{
    return MakeItemRecord(name, 0, -1, 0.0, 0);
}

TEST(ItemUrlTest, UncPathsBecomeSmbAddressesWithTheHostsLetterCaseKept)
{
    EXPECT_EQ(SmbUrlOfUncPath("\\\\PC1\\Share\\Dir\\a.txt"), "smb://PC1/Share/Dir/a.txt");
    EXPECT_EQ(SmbUrlOfUncPath("\\\\10.0.0.7\\docs"), "smb://10.0.0.7/docs");
    EXPECT_EQ(SmbUrlOfUncPath("\\\\PC1"), "smb://PC1");
    EXPECT_EQ(SmbUrlOfUncPath("C:\\a.txt"), "");
    EXPECT_EQ(SmbUrlOfUncPath("\\\\"), "");
    EXPECT_EQ(SmbUrlOfUncPath("ftp://h/a"), "");
}

TEST(ItemUrlTest, EverySegmentIsPercentEncodedAsUtf8)
{
    EXPECT_EQ(SmbUrlOfUncPath("\\\\PC1\\s\\a b#1?%/x.txt"), "smb://PC1/s/a%20b%231%3F%25%2Fx.txt");
    EXPECT_EQ(SmbUrlOfUncPath(QString::fromUtf8("\\\\PC1\\s\\caf\xC3\xA9 \xF0\x9F\x98\x80")),
              "smb://PC1/s/caf%C3%A9%20%F0%9F%98%80");
    // Unreserved characters stay; everything else of RFC 3986's reserved set goes.
    EXPECT_EQ(SmbUrlOfUncPath("\\\\PC1\\s\\a-b_c.d~e'f(g)h&i;j=k+l,m@n:o"),
              "smb://PC1/s/a-b_c.d~e%27f%28g%29h%26i%3Bj%3Dk%2Bl%2Cm%40n%3Ao");
}

TEST(ItemUrlTest, FtpHitsKeepTheirServerAndPortAndEncodeThePath)
{
    const TItemRecord hit = Hit("ftp://10.0.0.5:2121/pub/read me#.txt");
    EXPECT_EQ(ItemUrl(hit), "ftp://10.0.0.5:2121/pub/read%20me%23.txt");
    EXPECT_EQ(ItemFolderUrl(hit), "ftp://10.0.0.5:2121/pub");
    EXPECT_EQ(ItemHost(hit), "10.0.0.5:2121");
}

TEST(ItemUrlTest, FolderAddressAndHostOfShareHits)
{
    const TItemRecord hit = Hit("\\\\PC1\\share\\docs\\a b.txt");
    EXPECT_EQ(ItemUrl(hit), "smb://PC1/share/docs/a%20b.txt");
    EXPECT_EQ(ItemFolderUrl(hit), "smb://PC1/share/docs");
    EXPECT_EQ(ItemHost(hit), "PC1");
    EXPECT_EQ(ItemFolderUrl(Hit("\\\\PC1\\share")), "smb://PC1");
    EXPECT_EQ(ItemFolderUrl(Hit("\\\\PC1")), "smb://PC1");
    EXPECT_EQ(ItemHost(Hit("/home/a.txt")), "");
    EXPECT_EQ(ItemUrl(Hit("/home/a.txt")), "");
}

} // namespace
