#include "store/ComputerListFile.h"

#include "model/Error.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

TEST(ComputerListFileTest, LoadedNamesGetTheUncPrefixAndUpperCase)
{
    TempDir dir;
    const QString path = dir.write("list.txt", "pc1\r\n\\\\pc2\r\n  ws-*  \r\n\r\n   \r\n\\\\Srv\\Share\n");
    EXPECT_EQ(LoadComputerList(path), QStringList({"\\\\PC1", "\\\\PC2", "\\\\WS-*", "\\\\SRV\\SHARE"}));
}

TEST(ComputerListFileTest, RangesAreNotGivenTheComputerPrefix)
{
    TempDir dir;
    const QString path = dir.write("ranges.txt", "192.168.1.1 - 192.168.1.10\r\n10.0.0.0/24\r\n");
    EXPECT_EQ(LoadComputerList(path, TScopeListKind::IpRanges),
              QStringList({"192.168.1.1 - 192.168.1.10", "10.0.0.0/24"}));
}

TEST(ComputerListFileTest, SavesAnsiLinesWithCrLfAndReadsThemBack)
{
    TempDir dir;
    const QString path = dir.file("out.txt");
    const QStringList entries = {"\\\\PC1", QString::fromUtf8("\\\\B\xC3\x9CRO"),
                                 "192.168.1.1 - 192.168.1.9"};
    EXPECT_TRUE(SaveComputerList(path, entries));
    EXPECT_EQ(FileBytes(path), QByteArray("\\\\PC1\r\n\\\\B\xDCRO\r\n192.168.1.1 - 192.168.1.9\r\n"));
    EXPECT_EQ(LoadComputerList(path).mid(0, 2), entries.mid(0, 2));

    // Replacing a list keeps the file's permissions: it holds no secrets.
    const QFileDevice::Permissions shared =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(path, shared));
    EXPECT_TRUE(SaveComputerList(path, {"\\\\PC9"}));
    EXPECT_EQ(FileBytes(path), QByteArray("\\\\PC9\r\n"));
    EXPECT_TRUE(QFile::permissions(path).testFlags(QFileDevice::ReadGroup | QFileDevice::ReadOther));
}

TEST(ComputerListFileTest, AnEmptyListCreatesNoFile)
{
    TempDir dir;
    EXPECT_FALSE(SaveComputerList(dir.file("none.txt"), {}));
    EXPECT_FALSE(QFile::exists(dir.file("none.txt")));
}

TEST(ComputerListFileTest, AFailedSaveRaisesAndLeavesWhatWasThere)
{
    TempDir dir;
    EXPECT_THROW(SaveComputerList(dir.file("no/such/folder/list.txt"), {"\\\\PC1"}), EKestrovaError);
    // A folder in the way of the file.
    const QString blocked = dir.file("sub");
    ASSERT_TRUE(QDir().mkpath(blocked + "/x"));
    EXPECT_THROW(SaveComputerList(blocked, {"\\\\PC1"}), EKestrovaError);
    EXPECT_TRUE(QFileInfo(blocked).isDir());
    EXPECT_THROW(LoadComputerList(dir.file("missing.txt")), EKestrovaError);
}

} // namespace
