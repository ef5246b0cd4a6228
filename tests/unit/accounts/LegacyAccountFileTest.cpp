#include "accounts/LegacyAccountFile.h"

#include "accounts/AccountList.h"
#include "model/Error.h"
#include "support/LegacyAccountRecord.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(LegacyAccountFileTest, PathBesideTheSettingsFile)
{
    EXPECT_EQ(LegacyAccountFilePath("/opt/k/kestrova.ini"), "/opt/k/kestrova.dat");
}

TEST(LegacyAccountFileTest, TwoRecordsAreImportedInOrderAndTheFileDeleted)
{
    TempDir dir;
    const QString path = dir.write("k.dat", LegacyAccountRecord("PC1", "anna", "secret") +
                                                LegacyAccountRecord("\\\\SRV\\docs", "caf\xE9", ""));
    TAccountList list;
    list.Add({"from settings", "", ""});
    EXPECT_EQ(ImportLegacyAccountFile(path, list), 2);
    EXPECT_EQ(list.Snapshot(),
              QList<TUnicodeAccount>({{"from settings", "", ""},
                                      {"PC1", "anna", "secret"},
                                      {"\\\\SRV\\docs", QString::fromUtf8("caf\xC3\xA9"), ""}}));
    EXPECT_FALSE(QFile::exists(path));
}

TEST(LegacyAccountFileTest, WrongSizeOrMissingFileIsLeftAlone)
{
    TempDir dir;
    const QString path =
        dir.write("k.dat", LegacyAccountRecord("PC1", "u", "p") + LegacyAccountRecord("PC2", "u", "p") + "x");
    TAccountList list;
    EXPECT_EQ(ImportLegacyAccountFile(path, list), 0);
    EXPECT_EQ(ImportLegacyAccountFile(dir.file("none.dat"), list), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(QFile::exists(path));
}

TEST(LegacyAccountFileTest, AnEmptyFileImportsNothingAndIsDeleted)
{
    TempDir dir;
    const QString path = dir.write("k.dat", "");
    TAccountList list;
    EXPECT_EQ(ImportLegacyAccountFile(path, list), 0);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(LegacyAccountFileTest, AFieldOfSixtyFourBytesKeepsAllOfThem)
{
    TempDir dir;
    const QByteArray full(64, 'W');
    const QString path = dir.write("k.dat", full + LegacyAccountField("user") + full);
    TAccountList list;
    ImportLegacyAccountFile(path, list);
    ASSERT_EQ(list.Count(), 1);
    EXPECT_EQ(list.Get(0), TUnicodeAccount(QString(64, u'W'), "user", QString(64, u'W')));
}

TEST(LegacyAccountFileTest, ACompoundFileUnderTheLegacyNameIsNoAccountFile)
{
    TempDir dir;
    QByteArray results("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    results.append(384 - results.size(), '\x01');
    const QString path = dir.write("k.dat", results);
    TAccountList list;
    EXPECT_EQ(ImportLegacyAccountFile(path, list), 0);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(QFile(path).size(), 384);
}

TEST(LegacyAccountFileTest, AccountsArePersistedBeforeTheFileGoes)
{
    TempDir dir;
    const QString path = dir.write("k.dat", LegacyAccountRecord("PC1", "u", "p"));
    TAccountList list;
    bool fileStillThere = false;
    ImportLegacyAccountFile(path, list, [&] {
        EXPECT_EQ(list.Count(), 1);
        fileStillThere = QFile::exists(path);
    });
    EXPECT_TRUE(fileStillThere);
    EXPECT_FALSE(QFile::exists(path));

    const QString again = dir.write("k2.dat", LegacyAccountRecord("PC2", "u", "p"));
    EXPECT_THROW(ImportLegacyAccountFile(again, list, [] { throw EKestrovaError("disk full"); }),
                 EKestrovaError);
    EXPECT_TRUE(QFile::exists(again)); // its accounts are stored nowhere else yet
}

TEST(LegacyAccountFileTest, AnUnreadableFileIsAnErrorAndStays)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads files regardless of their permissions";
    TempDir dir;
    const QString path = dir.write("k.dat", LegacyAccountRecord("PC1", "u", "p"));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0), 0);
    TAccountList list;
    EXPECT_THROW(ImportLegacyAccountFile(path, list), EKestrovaError);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_TRUE(QFile::exists(path));
}

} // namespace
