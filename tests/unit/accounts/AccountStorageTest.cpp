#include "accounts/AccountStorage.h"

#include "accounts/AccountList.h"
#include "files/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

TEST(AccountStorageTest, EmptyListWritesOnlyTheCount)
{
    TempDir dir;
    TIniFile ini(dir.file("a.ini"));
    TAccountList empty;
    SaveAccounts(ini, empty);
    EXPECT_EQ(ini.ToBytes(), QByteArray("[Accounts]\r\nCount=0\r\n"));
    TAccountList loaded;
    LoadAccounts(ini, loaded);
    EXPECT_EQ(loaded.Count(), 0);
}

TEST(AccountStorageTest, KeysInOrderWithEncodedPasswords)
{
    TempDir dir;
    TIniFile ini(dir.file("a.ini"));
    TAccountList list;
    list.Add({"PC1", "anna", "abc"});
    list.Add({"\\\\SRV\\share", "dom\\bob", ""});
    SaveAccounts(ini, list);
    EXPECT_EQ(ini.ToBytes(),
              QByteArray("[Accounts]\r\nCount=2\r\n"
                         "Computer-0=PC1\r\nUsername-0=anna\r\nPassword-0=YWJj\r\n"
                         "Computer-1=\\\\SRV\\share\r\nUsername-1=dom\\bob\r\nPassword-1=\r\n"));
}

TEST(AccountStorageTest, ReadsByCountAlone)
{
    TempDir dir;
    const TIniFile ini(dir.write("a.ini",
                                 "[Accounts]\nCount=3\nComputer-0=PC1\nUsername-0=u\nPassword-0=cA==\n"
                                 "Computer-5=ignored\n"));
    TAccountList list;
    LoadAccounts(ini, list);
    EXPECT_EQ(list.Snapshot(), QList<TUnicodeAccount>({{"PC1", "u", "p"}, {}, {}}));

    for (const char* count : {"abc", "-4", ""}) {
        TempDir other;
        TAccountList none;
        LoadAccounts(
            TIniFile(other.write("b.ini", QByteArray("[Accounts]\nCount=") + count + "\nComputer-0=PC1\n")),
            none);
        EXPECT_EQ(none.Count(), 0) << count;
    }
}

TEST(AccountStorageTest, AShorterListLeavesOldKeysThatAreIgnored)
{
    TempDir dir;
    const QString path = dir.file("a.ini");
    TAccountList eight;
    for (int i = 0; i < 8; ++i)
        eight.Add({QString("PC%1").arg(i), "u", "p"});
    {
        TIniFile ini(path);
        SaveAccounts(ini, eight);
        ini.UpdateFile();
    }
    TAccountList five;
    for (int i = 0; i < 5; ++i)
        five.Add({QString("NEW%1").arg(i), "v", "q"});
    {
        TIniFile ini(path);
        SaveAccounts(ini, five);
        ini.UpdateFile();
    }
    const TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Accounts", "Computer-7", ""), "PC7");
    EXPECT_EQ(ini.ReadString("Accounts", "Computer-4", ""), "NEW4");
    TAccountList loaded;
    LoadAccounts(ini, loaded);
    EXPECT_EQ(loaded.Snapshot(), five.Snapshot());
}

TEST(AccountStorageTest, LoadingAppendsSoAProfileLoadedTwiceDoublesItsAccounts)
{
    TempDir dir;
    const TIniFile ini(
        dir.write("p.ini", "[Accounts]\nCount=1\nComputer-0=PC1\nUsername-0=u\nPassword-0=cA==\n"));
    TAccountList list;
    list.Add({"existing", "", ""});
    LoadAccounts(ini, list);
    LoadAccounts(ini, list);
    EXPECT_EQ(list.Snapshot(),
              QList<TUnicodeAccount>({{"existing", "", ""}, {"PC1", "u", "p"}, {"PC1", "u", "p"}}));
}

TEST(AccountStorageTest, AHugeCountIsCappedInsteadOfExhaustingMemory)
{
    TempDir dir;
    const TIniFile ini(dir.write("a.ini", "[Accounts]\nCount=2000000000\n"));
    TAccountList list;
    LoadAccounts(ini, list);
    EXPECT_EQ(list.Count(), 100000);
}

} // namespace
