#include "platform/ShareWriteEvidence.h"

#include <gtest/gtest.h>

namespace {

// Owner and group as Samba maps a Unix folder's, then the entries under test.
QString Descriptor(const QString& acl)
{
    return QStringLiteral("REVISION:1,OWNER:S-1-22-1-0,GROUP:S-1-22-2-0,") + acl;
}

TEST(ShareWriteEvidenceTest, EveryoneOrAuthenticatedUsersWithARightToAddFilesGrantsWrite)
{
    // A folder of mode 0777 as Samba shows it: everyone has full control.
    EXPECT_TRUE(
        DescriptorGrantsWrite(Descriptor("ACL:S-1-22-1-0:0/0/0x001f01ff,ACL:S-1-1-0:0/0/0x001f01ff")));
    EXPECT_TRUE(DescriptorGrantsWrite(Descriptor("ACL:S-1-5-11:0/0/0x00000002")));
    EXPECT_TRUE(DescriptorGrantsWrite(Descriptor("ACL:S-1-1-0:0/0/0x40000000"))); // generic write
    EXPECT_TRUE(
        DescriptorGrantsWrite(Descriptor("ACL:S-1-5-11:0/3/0x10000000"))); // generic all, inherited on
    // Tabs and line breaks separate entries too.
    EXPECT_TRUE(DescriptorGrantsWrite("REVISION:1\nOWNER:S-1-5-32-544\tACL:S-1-1-0:0/0/0x001f01ff"));
}

TEST(ShareWriteEvidenceTest, ReadAndExecuteOnlyOrRightsOfOthersAreNoEvidence)
{
    // Mode 0755: the owner may write, everyone else may read and list.
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-22-1-0:0/0/0x001f01ff,ACL:S-1-22-2-0:0/0/"
                                                  "0x001200a9,ACL:S-1-1-0:0/0/0x001200a9")));
    // A named user or group: whether the logon is that user is not known here.
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-5-21-1-2-3-1001:0/0/0x001f01ff")));
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-5-32-545:0/0/0x001f01ff"))); // Users
    // Subfolders only (inherit-only): not the folder itself.
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-1-0:0/11/0x001f01ff")));
    // Only "create folders" (append data) is no right to add files.
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-1-0:0/0/0x00000004")));
}

TEST(ShareWriteEvidenceTest, ADenialOfWritingToAnyoneOutweighsTheGrant)
{
    const QString grant = QStringLiteral("ACL:S-1-1-0:0/0/0x001f01ff");
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-5-21-9-9-9-513:1/0/0x00000002," + grant)));
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor(grant + ",ACL:S-1-5-7:1/0/0x40000000")));
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor(grant + ",ACL:S-1-5-7:6/0/0x00000002"))); // object denial
    // A denial of something else, or one for subfolders only, leaves the grant standing.
    EXPECT_TRUE(DescriptorGrantsWrite(Descriptor(grant + ",ACL:S-1-5-7:1/0/0x00010000"))); // delete
    EXPECT_TRUE(DescriptorGrantsWrite(Descriptor(grant + ",ACL:S-1-5-7:1/8/0x00000002")));
}

TEST(ShareWriteEvidenceTest, NothingOrSomethingGarbledIsNoEvidence)
{
    EXPECT_FALSE(DescriptorGrantsWrite(QString()));
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor(QString())));
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-1-0:0/0")));
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-1-0:zero/0/0x2")));
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL::0/0/0x2")));
    // One unreadable entry among good ones: the descriptor is not understood.
    EXPECT_FALSE(DescriptorGrantsWrite(Descriptor("ACL:S-1-1-0:0/0/0x001f01ff,ACL:S-1-5-7:deny")));
}

} // namespace
